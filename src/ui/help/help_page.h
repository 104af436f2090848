#pragma once
// The user guide the help window shows: the program's own text, so it may
// use rich text. Each section is an anchor, the first "Introduction".

#include <QString>

namespace telvo {

QString HelpPageHtml();

}  // namespace telvo
