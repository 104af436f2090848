#pragma once
// The windows' edge between the program's texts (Windows-1252 bytes) and Qt's
// strings. A character the code page cannot hold becomes "?".

#include <QString>
#include <string>

namespace telvo {

QString ToQt(const std::string& cp1252);
std::string FromQt(const QString& text);

}  // namespace telvo
