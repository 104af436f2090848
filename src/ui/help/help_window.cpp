#include "ui/help/help_window.h"

#include <QPointer>

#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/help/help_page.h"

namespace telvo {
namespace {

// A modal window blocks every window that is not its own, so help opened
// from one must belong to it to be read; otherwise it stands alone and
// outlives the window that opened it, as the message pad comes and goes.
QWidget* OwnerFor(QWidget* parent) {
  QWidget* window = parent ? parent->window() : nullptr;
  return window && window->isModal() ? window : nullptr;
}

HelpWindow* OpenHelpWindow(QWidget* owner) {
  static QPointer<HelpWindow> freeStanding;
  if (owner) {
    if (auto* open = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly))
      return open;
    return new HelpWindow(owner);
  }
  if (!freeStanding) freeStanding = new HelpWindow();
  return freeStanding;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QTextBrowser(owner) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Telvo Help"));
  setOpenExternalLinks(false);
  document()->setDefaultFont(MsSansSerif(9.75));
  document()->setDocumentMargin(12);
  setHtml(HelpPageHtml());
  SizeAndCentre(this, 0.45, 0.7);
}

void HelpWindow::ShowSection(const QString& section) { scrollToAnchor(section); }

void ShowHelp(QWidget* parent, const QString& section) {
  HelpWindow* help = OpenHelpWindow(OwnerFor(parent));
  help->show();
  help->raise();
  help->activateWindow();
  help->ShowSection(section);
}

}  // namespace telvo
