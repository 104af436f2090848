#pragma once
// The receiving end of the notification datagrams: one UDP socket bound to a
// port on every address of the workstation, read without ever blocking so an
// event loop can watch it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/status.h"

namespace telvo {

class DatagramListener {
 public:
  // Binds `port` on all IPv6 and IPv4 addresses (IPv4 only where the system
  // has no IPv6); port 0 takes any free port. A port in use fails with 75,
  // its context naming the port and the system's reason.
  static Status Open(uint16_t port, std::unique_ptr<DatagramListener>* listener);
  ~DatagramListener();
  DatagramListener(const DatagramListener&) = delete;
  DatagramListener& operator=(const DatagramListener&) = delete;

  // The socket, for an event loop to watch for reading.
  int fd() const { return fd_; }
  uint16_t port() const { return port_; }

  enum class Received { kNone, kDatagram, kTooLong };
  // The next waiting datagram, if any. One longer than `limit` bytes is
  // taken off the socket and reported as kTooLong, its bytes not kept.
  Received Receive(size_t limit, std::string* datagram);

 private:
  DatagramListener(int fd, uint16_t port) : fd_(fd), port_(port) {}
  int fd_;
  uint16_t port_;
  std::string buffer_;
};

}  // namespace telvo
