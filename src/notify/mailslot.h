#pragma once
// The notification datagram that tells a recipient's workstation about a new
// message: sender, computer and text, each ended by a 0 byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace telvo {

std::string MailslotDatagram(const std::string& sender, const std::string& computer,
                             const std::string& text);

// Fire-and-forget; always 0. An empty computer name is never sent.
int SendMailslot(Env& env, const std::string& sender, const std::string& computer,
                 const std::string& text);

// The largest datagram a listener reads; anything longer is dropped.
inline constexpr size_t kMaxMailslotDatagram = 64 * 1024;
// How many bytes of one part a listener keeps for showing.
inline constexpr size_t kMaxShownPart = 1024;

// A received datagram's three parts, as the listener shows them.
struct MailslotMessage {
  std::string sender;
  std::string computer;
  std::string text;
};

// Reads a datagram as far as it can. Anyone on the network may send one, so
// nothing about its shape is trusted: a part without its 0 byte ends at the
// datagram's end, missing parts are empty, parts after the third are ignored,
// and each part is cut to kMaxShownPart bytes and made printable
// (ShownText). An empty datagram or one longer than kMaxMailslotDatagram
// gives nothing.
std::optional<MailslotMessage> ParseMailslotDatagram(std::string_view datagram);

// Windows-1252 text with its control characters made harmless for showing:
// a tab or line break becomes a blank, any other control character "?".
std::string ShownText(std::string_view text);

}  // namespace telvo
