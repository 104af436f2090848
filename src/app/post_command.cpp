// post: appends a call as the message pad delivers it.

#include <ostream>

#include "app/log_commands.h"
#include "core/call_fields.h"
#include "core/dates.h"
#include "service/delivery.h"

namespace telvo {
namespace {

int RunPost(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 1) return session.Usage("post takes one LOG");
  if (!line.has("--caller")) return session.Usage("post needs --caller");
  // A notification needs both: one alone would be dropped without a word.
  if (line.has("--sender") != line.has("--computer"))
    return session.Usage("--sender and --computer go together");
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
  const std::string body = PadCallBody(pad, session.Input("--initials"));
  const std::string refusal = DeliveryRefusal(pad, /*hasRecipient=*/true, body);
  if (!refusal.empty()) return session.Stop("Telvo", refusal);
  const StoreError delivered =
      Delivery(session.store(), session.program.env)
          .Deliver(session.owner, body, session.Input("--sender"), pad.caller);
  if (!delivered.ok()) return session.Stop(session.owner.name, NotDeliveredText(delivered));
  session.out << "Message delivered.\n";
  return 0;
}

}  // namespace

const LogCommand kPostCommand = {
    "post",
    "--caller= --phone= --message= --urgent --initials= --date= --time= --sender= --computer= "
    "--person= --archive",
    "Usage: telvo-log post LOG --caller TEXT [OPTION]...\n"
    "\n"
    "Appends a call to LOG as the message pad delivers it, and says \"Message\n"
    "delivered.\" once the call is there to stay. With --sender and --computer it\n"
    "also sends the notification that announces the call on a workstation.\n"
    "\n"
    "Options:\n"
    "      --caller TEXT      who called (required)\n"
    "      --phone TEXT       the number to call back\n"
    "      --message TEXT     the message\n"
    "      --urgent           mark the call urgent\n"
    "      --initials TEXT    the initials of whoever took the call, put after the\n"
    "                         message\n"
    "      --date MM-DD-YYYY  the call's date, today by default; leading zeros may\n"
    "                         be left out\n"
    "      --time TEXT        the call's time, such as \"9:05 AM\", now by default\n"
    "      --sender NAME      the sender the notification names (with --computer)\n"
    "      --computer NAME    the workstation the notification goes to (with\n"
    "                         --sender)\n"
    "      --person NAME  LOG is a workgroup list, of a shared folder or of a\n"
    "                     database: the calls of NAME in it\n"
    "      --archive      with --person: NAME's archive\n"
    "  -h, --help             show this help and exit\n"
    "  -V, --version          show the version and exit\n",
    RunPost,
};

}  // namespace telvo
