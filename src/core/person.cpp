#include "core/person.h"

#include "core/text.h"

namespace telvo {

const Person& Workgroup::at(int index) const {
  static const Person kNobody;
  return Has(index) ? people_[static_cast<size_t>(index)] : kNobody;
}

int Workgroup::IndexOf(const std::string& name) const {
  for (int i = 0; i < size(); ++i) {
    if (people_[static_cast<size_t>(i)].name == name) return i;
  }
  return -1;
}

int Workgroup::FindIgnoringCase(std::string_view name, int other) const {
  for (int i = 0; !name.empty() && i < size(); ++i) {
    if (i != other && EqualIgnoringCase(people_[static_cast<size_t>(i)].name, name)) return i;
  }
  return -1;
}

void Workgroup::Replace(std::vector<Person> people, int myIndex, int defaultIndex) {
  people_ = std::move(people);
  myIndex_ = myIndex;
  defaultIndex_ = defaultIndex;
}

}  // namespace telvo
