#include "platform/instance_doorbell.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace telvo {
namespace {

bool AddressOf(const std::string& path, sockaddr_un* address) {
  *address = {};
  address->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.data(), path.size());
  return true;
}

}  // namespace

std::unique_ptr<InstanceDoorbell> InstanceDoorbell::Listen(const std::string& path) {
  sockaddr_un address;
  if (!AddressOf(path, &address)) return nullptr;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  ::unlink(path.c_str());
  // Only this user may ring, whatever the folder's own permissions are.
  const mode_t saved = ::umask(0077);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::umask(saved);
  if (!bound || ::listen(fd, 8) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceDoorbell>(new InstanceDoorbell(fd, path));
}

InstanceDoorbell::~InstanceDoorbell() {
  ::close(fd_);
  ::unlink(path_.c_str());
}

bool InstanceDoorbell::TakeRings() {
  bool rang = false;
  for (int caller; (caller = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
    ::close(caller);
    rang = true;
  }
  return rang;
}

bool RingInstanceDoorbell(const std::string& path) {
  sockaddr_un address;
  if (!AddressOf(path, &address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool rang = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return rang;
}

}  // namespace telvo
