#pragma once
// The notification datagram that tells a recipient's workstation about a new
// message: sender, computer and text, each ended by a 0 byte.

#include <string>

#include "core/program.h"

namespace telvo {

std::string MailslotDatagram(const std::string& sender, const std::string& computer,
                             const std::string& text);

// Fire-and-forget; always 0. An empty computer name is never sent.
int SendMailslot(Program& program, const std::string& sender, const std::string& computer,
                 const std::string& text);

}  // namespace telvo
