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

int SendMailslot(Env& env, const std::string& sender, const std::string& computer,
                 const std::string& text) {
  env.SendDatagram(computer, MailslotDatagram(sender, computer, text));
  return 0;
}

namespace {

// The next part of the datagram, up to its 0 byte or the datagram's end.
std::string_view TakePart(std::string_view& rest) {
  const size_t end = rest.find('\0');
  const std::string_view part = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return part;
}

}  // namespace

std::optional<MailslotMessage> ParseMailslotDatagram(std::string_view datagram) {
  if (datagram.empty() || datagram.size() > kMaxMailslotDatagram) return std::nullopt;
  std::string_view rest = datagram;
  MailslotMessage message;
  for (std::string* part : {&message.sender, &message.computer, &message.text})
    *part = ShownText(TakePart(rest).substr(0, kMaxShownPart));
  return message;
}

std::string ShownText(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\t' || byte == '\r' || byte == '\n')
      c = ' ';
    else if (byte < 0x20 || byte == 0x7F)
      c = '?';
  }
  return shown;
}

}  // namespace telvo
