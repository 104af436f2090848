#include "notify/mailslot.h"

namespace telvo {

std::string MailslotDatagram(const std::string& sender, const std::string& computer,
                             const std::string& text) {
  std::string datagram;
  datagram.reserve(sender.size() + computer.size() + text.size() + 3);
  datagram.append(sender).push_back('\0');
  datagram.append(computer).push_back('\0');
  datagram.append(text).push_back('\0');
  return datagram;
}

int SendMailslot(Program& program, const std::string& sender, const std::string& computer,
                 const std::string& text) {
  program.env.SendDatagram(computer, MailslotDatagram(sender, computer, text));
  return 0;
}

}  // namespace telvo
