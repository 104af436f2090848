#include "core/workgroup.h"

#include <algorithm>
#include <utility>

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

constexpr char kListCaption[] = "Telvo error Reading Workgroup list";

Status ReportFailure(Program& program, const Status& failure) {
  if (program.state.activeWindow != kOptionsDialog) {
    ShowStop(program, kListCaption, failure.description() + std::to_string(failure.code()));
  }
  return failure;
}

// A database workgroup that cannot be used is told in the list's box with
// the store's own words; the code is the one an unreadable list gives.
Status ReportDatabaseFailure(Program& program, const std::string& text) {
  if (program.state.activeWindow != kOptionsDialog) ShowStop(program, kListCaption, text);
  return Status::Error(kDeviceUnavailable);
}

constexpr std::string_view kDatabaseWord = "DATABASE ";

// libpq's keyword=value pairs, blank-separated; a value may be in single
// quotes with backslash escapes, as libpq reads it.
std::vector<std::pair<std::string, std::string>> ConnectionWords(std::string_view line) {
  std::vector<std::pair<std::string, std::string>> words;
  size_t pos = 0;
  const auto blank = [&] { return pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'); };
  for (;;) {
    while (blank()) ++pos;
    if (pos >= line.size()) return words;
    const size_t equals = line.find('=', pos);
    std::string key(TrimBlanks(line.substr(
        pos, equals == std::string_view::npos ? std::string_view::npos : equals - pos)));
    pos = equals == std::string_view::npos ? line.size() : equals + 1;
    while (blank()) ++pos;
    std::string value;
    if (pos < line.size() && line[pos] == '\'') {
      for (++pos; pos < line.size() && line[pos] != '\''; ++pos) {
        if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
        value += line[pos];
      }
      ++pos;
    } else {
      while (pos < line.size() && !blank()) value += line[pos++];
    }
    words.emplace_back(std::move(key), std::move(value));
  }
}

// A value as libpq reads it back: quoted whenever it is not one plain word.
std::string ConnectionValue(const std::string& value) {
  if (!value.empty() && value.find_first_of(" \t'\\") == std::string::npos) return value;
  std::string quoted = "'";
  for (char c : value) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
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

// The people of a database workgroup, through the program's stores.
Status LoadDatabasePeople(Program& program, const DatabaseWorkgroup& database,
                          std::vector<Person>* people) {
  if (!program.stores)
    return ReportDatabaseFailure(program, "This program cannot use a workgroup in a database.");
  const std::string failure = program.stores->UseDatabase(program, database, people);
  if (!failure.empty()) return ReportDatabaseFailure(program, failure);
  return Status::Ok();
}

}  // namespace

std::optional<DatabaseWorkgroup> DatabaseWorkgroupOf(std::string_view bytes, std::string* refusal) {
  refusal->clear();
  const std::vector<std::string_view> lines = SplitLines(bytes);
  if (lines.empty() || lines[0].substr(0, kDatabaseWord.size()) != kDatabaseWord)
    return std::nullopt;
  DatabaseWorkgroup database;
  std::string service;
  for (const auto& [key, value] : ConnectionWords(lines[0].substr(kDatabaseWord.size()))) {
    if (key == "workgroup") {
      database.name = value;
      continue;
    }
    if (key == "password") {
      *refusal =
          "The workgroup list holds a database password, which everyone who reads the list "
          "could use. Keep it in the user's .pgpass file instead.";
      return std::nullopt;
    }
    if (key == "service") service = value;
    database.conninfo +=
        (database.conninfo.empty() ? "" : " ") + key + "=" + ConnectionValue(value);
  }
  if (database.name.empty()) database.name = service;
  if (database.name.empty()) {
    *refusal =
        "The workgroup list names a database but no workgroup: add service=NAME or "
        "workgroup=NAME to its first line.";
    return std::nullopt;
  }
  return database;
}

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
  std::string refusal;
  const std::optional<DatabaseWorkgroup> database = DatabaseWorkgroupOf(bytes, &refusal);
  if (!refusal.empty()) {
    program.workgroup.Replace(program.workgroup.people(), -1, -1);
    return ReportDatabaseFailure(program, refusal);
  }
  std::vector<Person> people;
  if (database) {
    const Status listed = LoadDatabasePeople(program, *database, &people);
    if (!listed.ok()) {
      program.workgroup.Replace(program.workgroup.people(), -1, -1);
      return listed;
    }
  } else {
    people = ReadPeople(bytes, CountPeople(bytes));
    if (program.stores) program.stores->UseFolder(program);
  }
  for (const Person& person : people) names.push_back(person.name);
  const int me = LastNamed(people, program.settings.name);
  const int recipient = LastNamed(people, program.settings.defaultRecipient);
  program.workgroup.Replace(std::move(people), me, recipient);
  StartPollerForTheUser(program);
  return Status::Ok();
}

}  // namespace telvo
