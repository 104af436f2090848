#pragma once
// The program's own help page, shown in a help window at a section.

#include <QString>
#include <QWidget>

namespace telvo {

void ShowHelp(QWidget* parent, const QString& section = QStringLiteral("Introduction"));

}  // namespace telvo
