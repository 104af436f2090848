#include "core/program_state.h"

namespace telvo {

const std::string& ProgramState::NameOf(int index) const {
  static const std::string kNone;
  if (index < 0 || index >= static_cast<int>(PersonName.size())) return kNone;
  return PersonName[static_cast<size_t>(index)];
}

}  // namespace telvo
