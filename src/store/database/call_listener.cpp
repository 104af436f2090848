#include "store/database/call_listener.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace telvo {

int64_t DatabaseCallListener::SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

DatabaseCallListener::DatabaseCallListener(std::string conninfo, std::string workgroup,
                                           Person whose, Clock clock)
    : store_(std::move(conninfo), std::move(workgroup)),
      whose_(std::move(whose)),
      clock_(std::move(clock)) {}

int DatabaseCallListener::socket() const {
  return listeningOn_ == store_.connectionsMade() ? store_.socket() : -1;
}

StoreError DatabaseCallListener::TakeNews(std::vector<Call>* news) {
  if (!lastFailure_.ok() && clock_() < retryAtMs_) return lastFailure_;
  lastFailure_ = Look(news);
  if (lastFailure_.ok()) {
    retryDelayMs_ = 0;
  } else {
    retryDelayMs_ =
        retryDelayMs_ == 0 ? kFirstRetryMs : std::min(2 * retryDelayMs_, kLongestRetryMs);
    retryAtMs_ = clock_() + retryDelayMs_;
  }
  return lastFailure_;
}

StoreError DatabaseCallListener::Look(std::vector<Call>* news) {
  bool rung = behind_;
  if (listeningOn_ != store_.connectionsMade() || store_.socket() < 0) {
    // Listening before reading: a call posted between the two is then
    // both read and notified, never neither.
    StoreError error = store_.Listen();
    if (!error.ok()) return error;
    listeningOn_ = store_.connectionsMade();
    rung = true;
  } else {
    std::vector<int32_t> people;
    StoreError error = store_.TakeNotifiedPeople(&people);
    if (!error.ok()) return error;
    rung = rung || std::find(people.begin(), people.end(), personId_) != people.end();
  }
  if (!started_) {
    StoreError error = store_.NewestFor(whose_, &personId_, &lastSeen_);
    started_ = error.ok();
    return error;
  }
  // Kept until the calls are read, so a read that fails is made again.
  behind_ = rung;
  return rung ? CatchUp(news) : StoreError{};
}

StoreError DatabaseCallListener::CatchUp(std::vector<Call>* news) {
  std::vector<Call> calls;
  StoreError error = store_.CallsAfter(whose_, lastSeen_, kMostNewsPerLook, &personId_, &calls);
  if (!error.ok()) return error;
  behind_ = static_cast<int>(calls.size()) == kMostNewsPerLook;
  if (!calls.empty()) lastSeen_ = calls.back().id.position;
  for (Call& call : calls) news->push_back(std::move(call));
  return {};
}

}  // namespace telvo
