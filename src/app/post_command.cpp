// post: appends a call as the message pad delivers it.

#include <ostream>

#include "app/log_commands.h"
#include "core/dates.h"
#include "store/post_message.h"

namespace telvo {
namespace {

int RunPost(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 1) return session.Usage("post takes one LOG");
  if (!line.has("--caller")) return session.Usage("post needs --caller");
  ProgramState& s = session.program.state;
  const LocalDateTime now = session.program.env.Now();
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = session.Input("--caller");
  pad.phone = session.Input("--phone");
  pad.message = session.Input("--message");
  pad.urgent = line.has("--urgent");
  pad.date = line.has("--date") ? session.Input("--date") : FormatDate(now);
  pad.time = line.has("--time") ? session.Input("--time") : FormatTime(now);
  // The pad's date is always MM-DD-YYYY; the command line may drop zeros.
  const std::optional<Date> date = ReadDate(pad.date);
  if (!date) return session.Usage("--date takes a date such as 12-31-2026");
  pad.date = FormatDate(*date);
  s.MyInitials = session.Input("--initials");
  s.MyName = session.Input("--sender");
  PostMessage(session.program, pad);
  if (session.Outcome() == 0) session.out << "Message delivered.\n";
  return session.Outcome();
}

}  // namespace

const LogCommand kPostCommand = {
    "post",
    "--caller= --phone= --message= --urgent --initials= --date= --time= --sender= --computer=",
    "usage: telvo-log post LOG --caller TEXT [--phone TEXT] [--message TEXT]\n"
    "                 [--urgent] [--initials TEXT] [--date MM-DD-YYYY] [--time TEXT]\n"
    "                 [--sender NAME --computer NAME]\n"
    "Appends a call as the message pad delivers it. The date and time default to\n"
    "now. With --computer, the notification goes to that workstation.\n",
    RunPost,
};

}  // namespace telvo
