#include "ui/help/help_page.h"

namespace telvo {

QString HelpPageHtml() {
  return QStringLiteral(R"HELP(
<h1><a name="Introduction"></a>Telvo</h1>
<p>Telvo is the workgroup's telephone-message pad. Whoever answers a call for a
colleague writes it down on the pad and delivers it: the message goes into the
colleague's phone log on the shared drive, and the colleague's workstation is told
that a call has come in. There is no server; everyone's Telvo meets in the shared
folder.</p>
<p>Contents:</p>
<ul>
<li><a href="#TakingAMessage">Taking a message</a></li>
<li><a href="#Alerts">Alerts</a></li>
<li><a href="#ReadingCalls">Reading your calls</a></li>
<li><a href="#HandlingACall">Handling a call</a></li>
<li><a href="#PurgeAndArchive">Purging and the archive</a></li>
<li><a href="#Printing">Printing calls</a></li>
<li><a href="#Options">Options</a></li>
<li><a href="#Notification">Being told of new calls</a></li>
<li><a href="#DamagedLog">When a phone log is damaged</a></li>
</ul>

<h2><a name="TakingAMessage"></a>Taking a message</h2>
<ol>
<li>Pick the person the call is for in the <b>For:</b> list. If they have left an
alert, it is shown to you now.</li>
<li>Type who called in <b>Caller</b>. The present date and time are filled in as you
type; change them if the call came earlier.</li>
<li>Type the <b>Message</b> and the return <b>Phone</b> number. <b>Please Call</b>,
<b>Will Call Back</b> and <b>Returned Call</b> add those words to the message.</li>
<li>Tick <b>Urgent</b> if the call cannot wait.</li>
<li>Press <b>Deliver to</b> <i>name</i>. Your initials are added to the message and
the pad is cleared for the next call.</li>
</ol>
<p><b>Cancel</b> blanks out the pad. The Escape key closes Telvo.</p>

<h2><a name="Alerts"></a>Alerts</h2>
<p>An alert is a note you leave for whoever takes your calls: that you are out until
Monday, or who stands in for you. Pick your name in the <b>For:</b> list and press
<b>Alert</b>. Write the note and press <b>OK</b>; Telvo adds the time you posted it.
<b>Remove</b> takes the alert away, <b>Cancel</b> leaves it as it was.</p>
<p>Whoever picks you as the recipient sees your alert before they deliver.</p>

<h2><a name="ReadingCalls"></a>Reading your calls</h2>
<p><b>View My Phone Log</b> lists your own calls; <b>View Selected Log</b> lists the
calls of the person picked in the list. The newest call is at the top.</p>
<ul>
<li><b>Next</b> shows older calls, <b>Previous</b> newer ones, <b>Latest</b> returns
to the newest.</li>
<li><b>Old Calls</b> shows the archive; <b>Active Calls</b> goes back to the phone
log.</li>
<li><b>Done</b> returns to the message pad.</li>
</ul>
<p>The picture in front of each call tells its state: new, important, answered for
deletion or answered for the archive.</p>

<h2><a name="HandlingACall"></a>Handling a call</h2>
<p>Click the picture in front of a call to open its <b>Actions</b>:</p>
<ul>
<li><b>Forward</b> opens the message pad with the call filled in, so you can deliver
it to someone else.</li>
<li><b>Important</b> and <b>New</b> mark the call so it stands out again.</li>
<li><b>Delete</b> marks the call answered; the next purge removes it.</li>
<li><b>Archive</b> marks the call answered; the next purge moves it to the
archive.</li>
<li><b>Export</b> adds the call as one line of text to EXPORT.TXT in the person's
folder, for use in other programs.</li>
</ul>
<p>If someone else purged the log meanwhile, Telvo tells you and shows the calls
afresh.</p>

<h2><a name="PurgeAndArchive"></a>Purging and the archive</h2>
<p><b>Purge</b> asks first, then removes the calls marked for deletion and moves the
calls marked for the archive into the archive. Purging the archive removes its
calls marked for deletion.</p>

<h2><a name="Printing"></a>Printing calls</h2>
<p><b>Print</b> asks for the first and last date and prints the calls between them.
With no printer installed, Telvo writes a PDF file to your documents folder and
tells you where.</p>

<h2><a name="Options"></a>Options</h2>
<p><b>Options</b> on the message pad sets who you are and how Telvo works for
you:</p>
<ul>
<li><b>Choose a Workgroup</b>: the workgroup list (a .WGL file) your office
shares.</li>
<li><b>Identify yourself</b>, then click your name in the list.</li>
<li><b>Initials</b>: they go on every message you take.</li>
<li><b>Pick default "for" person</b>: the person you usually take calls for.</li>
<li><b>Colors</b>: the colour of the message pad.</li>
<li><b>Minimize after delivery</b> and <b>Suppress splash screen</b>.</li>
</ul>
<p><b>OK</b> saves your choices; <b>Cancel</b> leaves them as they were.</p>

<h2><a name="Notification"></a>Being told of new calls</h2>
<p>Choose one of three in Options:</p>
<ul>
<li><b>No Popup</b>: Telvo does nothing of its own; a notice listener already running
on your workstation shows the calls.</li>
<li><b>Mailslot Popup</b>: Telvo starts the <b>Popup Program</b> you name (the
notice listener, <i>telvo-popup</i>), which shows who called as each message is
delivered.</li>
<li><b>Telvo Popup</b>: Telvo itself looks at your phone log every 10 seconds and
says "Telvo message posted." when a call has come in. No other program is needed.</li>
</ul>

<h2><a name="DamagedLog"></a>When a phone log is damaged</h2>
<p>A phone log can be damaged, for instance when the shared drive fails in the middle
of a write. Calls may then be missing or look garbled, or Telvo may say it cannot read
the file. "Message file is locked up" means only that someone else's Telvo is busy with
the log: wait a moment and try again.</p>
<p>Do not edit or copy the log yourself. Ask your workgroup's administrator: they can
check the log with <i>telvo-log check</i>, which finds each damaged place, and repair
it. Messages that say "Please call technical support" are for the administrator
too.</p>
)HELP");
}

}  // namespace telvo
