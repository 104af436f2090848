#pragma once
// The doorbell of a database workgroup: a connection of its own that
// LISTENs on the workgroup's channel, and reads a person's new calls when a
// post to them is notified. A notification is only a doorbell: the calls
// themselves are read from the table, so nothing is missed while the
// connection is down. After a reconnect the calls newer than the last one
// seen are read, whether or not anything was notified.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/database/database_store.h"
#include "store/phone_store.h"

namespace telvo {

class DatabaseCallListener : public CallListener {
 public:
  // Milliseconds on a clock that never goes back, for the back-off.
  using Clock = std::function<int64_t()>;
  static int64_t SteadyMs();

  // The first retry comes after this long, each next one after twice as
  // long, up to the longest.
  static constexpr int kFirstRetryMs = 1000;
  static constexpr int kLongestRetryMs = 60000;
  // Calls handed on by one look; more are read by the next.
  static constexpr int kMostNewsPerLook = 500;

  DatabaseCallListener(std::string conninfo, std::string workgroup, Person whose,
                       Clock clock = SteadyMs);

  StoreError TakeNews(std::vector<Call>* news) override;
  int socket() const override;
  int RetryDelayMs() const override { return retryDelayMs_; }

 private:
  StoreError Look(std::vector<Call>* news);
  // Reads the calls after lastSeen_, up to the most one look hands on.
  StoreError CatchUp(std::vector<Call>* news);

  DatabaseStore store_;
  const Person whose_;
  const Clock clock_;
  int32_t personId_ = 0;
  // The store's connection count when it last LISTENed: another count is a
  // new connection that listens to nothing yet.
  int64_t listeningOn_ = -1;
  bool started_ = false;
  int64_t lastSeen_ = 0;
  // Calls lay beyond the last look's most: the next look reads on.
  bool behind_ = false;
  StoreError lastFailure_;
  int retryDelayMs_ = 0;
  int64_t retryAtMs_ = 0;
};

}  // namespace telvo
