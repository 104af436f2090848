#include "core/person.h"

namespace telvo {

const Person& Workgroup::at(int index) const {
  static const Person kNobody;
  return Has(index) ? people_[static_cast<size_t>(index)] : kNobody;
}

void Workgroup::Replace(std::vector<Person> people, int myIndex, int defaultIndex) {
  people_ = std::move(people);
  myIndex_ = myIndex;
  defaultIndex_ = defaultIndex;
}

}  // namespace telvo
