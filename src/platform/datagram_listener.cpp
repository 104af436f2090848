#include "platform/datagram_listener.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace telvo {
namespace {

Status BindFailure(uint16_t port, int err) {
  return Status::Error(kPathFileAccessError,
                       "UDP port " + std::to_string(port) + " (" + std::strerror(err) + ")");
}

// A dual-stack socket answers IPv4 senders too; without IPv6 an IPv4 one.
int OpenBoundSocket(uint16_t port, int* err) {
  int fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd >= 0) {
    const int no = 0;
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
    sockaddr_in6 address = {};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_any;
    address.sin6_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    *err = errno;
    ::close(fd);
    if (*err != EAFNOSUPPORT && *err != EADDRNOTAVAIL) return -1;
  }
  fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *err = errno;
    return -1;
  }
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  *err = errno;
  ::close(fd);
  return -1;
}

uint16_t BoundPort(int fd) {
  sockaddr_storage address = {};
  socklen_t size = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
  if (address.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

}  // namespace

Status DatagramListener::Open(uint16_t port, std::unique_ptr<DatagramListener>* listener) {
  int err = 0;
  const int fd = OpenBoundSocket(port, &err);
  if (fd < 0) return BindFailure(port, err);
  listener->reset(new DatagramListener(fd, BoundPort(fd)));
  return Status::Ok();
}

DatagramListener::~DatagramListener() { ::close(fd_); }

DatagramListener::Received DatagramListener::Receive(size_t limit, std::string* datagram) {
  // One byte more than the limit tells a datagram of exactly `limit` bytes
  // from a longer one; MSG_TRUNC would too, but this keeps the buffer small.
  buffer_.resize(limit + 1);
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Received::kNone;
    if (static_cast<size_t>(n) > limit) return Received::kTooLong;
    datagram->assign(buffer_.data(), static_cast<size_t>(n));
    return Received::kDatagram;
  }
}

}  // namespace telvo
