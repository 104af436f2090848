#pragma once
// One person of the workgroup list and the files that are theirs. Paths are
// the program's own (upper case, "\" separators), as the list names them.

#include <string>
#include <string_view>
#include <vector>

namespace telvo {

struct Person {
  std::string name{};        // as the list spells it
  std::string computer{};    // the workstation their notifications go to
  std::string log{};         // "<folder>\MESSAGES"
  std::string archive{};     // "<folder>\ARCHIVE"
  std::string exportFile{};  // "<folder>\EXPORT.TXT"
  std::string alert{};       // their alert file, as the list names it
};

// Whose calls, and which of their two books: the calls they work on, or
// the archive that purges move calls into. A person without an archive (a
// bare log named by telvo-log) keeps the calls marked for the archive.
struct CallBook {
  Person owner{};
  bool archive = false;

  // The file that holds the book on a shared folder.
  const std::string& file() const { return archive ? owner.archive : owner.log; }
};

// The people of the workgroup list, in its order, and who among them this
// workstation's user and default recipient are.
class Workgroup {
 public:
  int size() const { return static_cast<int>(people_.size()); }
  bool empty() const { return people_.empty(); }
  bool Has(int index) const { return index >= 0 && index < size(); }
  // The person at `index`; a person with every field empty when out of range,
  // so a stale index names nobody instead of somebody else's files.
  const Person& at(int index) const;
  // The name at `index`, or "".
  const std::string& NameOf(int index) const { return at(index).name; }
  // The index of the first person called `name`, or -1.
  int IndexOf(const std::string& name) const;
  // The index of the first person called `name` ignoring case, as the
  // program matches its user's Name, leaving out `other` (an index, or -1);
  // -1 for none or an empty name.
  int FindIgnoringCase(std::string_view name, int other = -1) const;
  const std::vector<Person>& people() const { return people_; }

  void Replace(std::vector<Person> people, int myIndex, int defaultIndex);

  // -1 when this user, or the default recipient, is not in the list.
  int myIndex() const { return myIndex_; }
  int defaultIndex() const { return defaultIndex_; }

 private:
  std::vector<Person> people_;
  int myIndex_ = -1;
  int defaultIndex_ = -1;
};

}  // namespace telvo
