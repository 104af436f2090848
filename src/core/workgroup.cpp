#include "core/workgroup.h"

#include <algorithm>

#include "core/text.h"

namespace telvo {
namespace {

// Lines longer than this name a person; shorter ones (blank lines, a
// trailing empty line) are not counted.
constexpr size_t kShortestPersonLine = 11;
constexpr int kMostPeople = 32767;  // the indices are 16-bit

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Reads fields in sequence across lines: a field ends at a comma or a line
// end, so a line with too many or too few fields shifts the following ones.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // Leading blanks are skipped, and blank lines before a line's first field.
  // A field in double quotes may hold commas. Past the end, fields are empty.
  std::string Next() {
    for (;;) {
      while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
      if (!atLineStart_ || pos_ >= text_.size() || !IsLineEnd(text_[pos_])) break;
      SkipLineEnd();
    }
    std::string field;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      const size_t close = std::min(text_.find_first_of("\"\r\n", pos_ + 1), text_.size());
      field = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close;
      // Whatever stands between the closing quote and the separator is dropped.
      while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
    } else {
      const size_t end = std::min(text_.find_first_of(",\r\n", pos_), text_.size());
      field = text_.substr(pos_, end - pos_);
      // Trailing blanks would end up inside the paths built from the field.
      field.erase(field.find_last_not_of(' ') + 1);
      pos_ = end;
    }
    atLineStart_ = !(pos_ < text_.size() && text_[pos_] == ',');
    if (atLineStart_) {
      SkipLineEnd();
    } else {
      ++pos_;
    }
    return field;
  }

 private:
  void SkipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  }

  std::string_view text_;
  size_t pos_ = 0;
  bool atLineStart_ = true;
};

int CountPeople(std::string_view bytes) {
  const auto lines = SplitLines(bytes);
  const auto count = std::count_if(lines.begin(), lines.end(), [](std::string_view line) {
    return line.size() >= kShortestPersonLine;
  });
  return static_cast<int>(std::min<long>(count, kMostPeople));
}

Status ReportFailure(Program& program, const Status& failure) {
  if (program.state.activeWindow != kOptionsDialog) {
    ShowStop(program, "Telvo error Reading Workgroup list",
             failure.description() + std::to_string(failure.code()));
  }
  return failure;
}

// The people the list names, in its order. `count` is how many it counts:
// a list that ends early gives that many all the same, the rest empty.
std::vector<Person> ReadPeople(std::string_view bytes, int count) {
  std::vector<Person> people;
  people.reserve(static_cast<size_t>(count));
  FieldReader fields(bytes);
  for (int i = 0; i < count; ++i) {
    Person person;
    person.name = fields.Next();
    const std::string folder = UpperCase(fields.Next());
    person.computer = UpperCase(fields.Next());
    person.alert = UpperCase(fields.Next());
    person.log = folder + "\\MESSAGES";
    person.archive = folder + "\\ARCHIVE";
    person.exportFile = folder + "\\EXPORT.TXT";
    people.push_back(std::move(person));
  }
  return people;
}

// An empty entry (a list that ended early) is nobody, not an absent name.
bool IsNamed(const Person& person, const std::string& name) {
  return !person.name.empty() && EqualIgnoringCase(person.name, name);
}

// The index of the last person called `name`, or -1.
int LastNamed(const std::vector<Person>& people, const std::string& name) {
  for (int i = static_cast<int>(people.size()) - 1; i >= 0; --i) {
    if (IsNamed(people[static_cast<size_t>(i)], name)) return i;
  }
  return -1;
}

void StartPollerForTheUser(Program& program) {
  if (program.settings.notification != Notification::kInternal || !program.hooks.StartPoller)
    return;
  // Once for each line naming the user; the switch window keeps a running
  // countdown, so a repeated start changes nothing.
  for (const Person& person : program.workgroup.people()) {
    if (IsNamed(person, program.settings.name)) program.hooks.StartPoller();
  }
}

}  // namespace

Status LoadWorkgroup(Program& program, std::vector<std::string>& names) {
  names.clear();

  // One reading gives both the count and the people; the list is closed
  // before anything is shown. When it fails, the people stay as they were.
  std::string bytes;
  const Status read = ReadTextFile(program.env, program.settings.workgroupPath, &bytes);
  if (!read.ok()) {
    program.workgroup.Replace(program.workgroup.people(), -1, -1);
    return ReportFailure(program, read);
  }
  std::vector<Person> people = ReadPeople(bytes, CountPeople(bytes));
  for (const Person& person : people) names.push_back(person.name);
  const int me = LastNamed(people, program.settings.name);
  const int recipient = LastNamed(people, program.settings.defaultRecipient);
  program.workgroup.Replace(std::move(people), me, recipient);
  StartPollerForTheUser(program);
  return Status::Ok();
}

}  // namespace telvo
