#pragma once
// The message-box facade shown as real boxes. Every text is shown as plain
// text: names, callers and alerts come from shared files and the network,
// and a text that merely looks like markup must be seen as it is.

#include <QString>
#include <string>

#include "core/message_boxes.h"

namespace telvo {

class QtMessageBoxes : public MessageBoxes {
 public:
  int Show(const MessageBox& box) override;
};

// The program's line breaks ("\r", "\r\n") as Qt's.
QString BoxText(const std::string& cp1252);

}  // namespace telvo
