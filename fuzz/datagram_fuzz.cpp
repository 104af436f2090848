// The notification listener's reading of datagrams from anyone on the
// network: any bytes give three parts of at most kMaxShownPart printable
// bytes, or nothing for an empty or oversized datagram; and a datagram built
// by the sender gives back its three texts, made printable.

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"
#include "notify/mailslot.h"

namespace telvo::fuzz {
namespace {

bool Printable(const std::string& part) {
  for (const char c : part) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  return part.size() <= kMaxShownPart;
}

std::string WithoutZeros(std::string text) {
  std::erase(text, '\0');
  return text;
}

}  // namespace
}  // namespace telvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  const std::string_view datagram = Bytes(data, size);
  const std::optional<MailslotMessage> message = ParseMailslotDatagram(datagram);
  Require(message.has_value() == (size > 0 && size <= kMaxMailslotDatagram),
          "every datagram of a possible size is read");
  if (message) {
    Require(Printable(message->sender) && Printable(message->computer) && Printable(message->text),
            "every part is short and printable");
  }

  FuzzedDataProvider input(data, size);
  const std::string sender = WithoutZeros(input.ConsumeRandomLengthString(2000));
  const std::string computer = WithoutZeros(input.ConsumeRandomLengthString(2000));
  const std::string text = WithoutZeros(input.ConsumeRemainingBytesAsString());
  const std::optional<MailslotMessage> sent =
      ParseMailslotDatagram(MailslotDatagram(sender, computer, text));
  Require(sent && sent->sender == ShownText(sender.substr(0, kMaxShownPart)) &&
              sent->computer == ShownText(computer.substr(0, kMaxShownPart)) &&
              sent->text == ShownText(text.substr(0, kMaxShownPart)),
          "a sent datagram reads back as its three texts");
  return 0;
}
