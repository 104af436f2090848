#pragma once
// The program's own help page, shown in a help window at a section.

#include <QString>
#include <QTextBrowser>
#include <QWidget>

namespace telvo {

// A free-standing window that reads the help page. It stays open beside the
// program's windows until it is closed.
class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* owner = nullptr);

  // Scrolls so that `section` (an anchor of the page) is at the top.
  void ShowSection(const QString& section);
};

// Opens the help window at `section`, or brings the open one forward there.
void ShowHelp(QWidget* parent, const QString& section = QStringLiteral("Introduction"));

}  // namespace telvo
