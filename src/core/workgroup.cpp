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

void ResizePeople(ProgramState& s, int count) {
  for (auto* slots : {&s.PersonName, &s.PersonComputer, &s.PersonLog, &s.PersonArchive,
                      &s.PersonExport, &s.PersonAlert}) {
    slots->assign(static_cast<size_t>(count) + 1, "");
  }
  s.PeopleCount = static_cast<int16_t>(count);
}

Status ReportFailure(Program& program, const Status& failure) {
  if (program.state.ActiveWindow != kOptionsDialog) {
    ShowStop(program, "Telvo error Reading Workgroup list",
             failure.description() + std::to_string(failure.code()));
  }
  return failure;
}

}  // namespace

Status LoadWorkgroup(Program& program, std::vector<std::string>& names) {
  ProgramState& s = program.state;
  s.MyIndex = -1;
  s.DefaultIndex = -1;
  names.clear();

  // One reading gives both the count and the people; the list is closed
  // before anything is shown. When it fails, the people stay as they were.
  std::string bytes;
  const Status read = ReadTextFile(program.env, s.WorkgroupPath, &bytes);
  if (!read.ok()) return ReportFailure(program, read);
  const int count = CountPeople(bytes);
  ResizePeople(s, count);

  FieldReader fields(bytes);
  for (int i = 0; i < count; ++i) {
    const size_t slot = static_cast<size_t>(i);
    const std::string name = fields.Next();
    const std::string folder = UpperCase(fields.Next());
    const std::string computer = UpperCase(fields.Next());
    const std::string alert = UpperCase(fields.Next());

    s.PersonName[slot] = name;
    names.push_back(name);
    // An empty entry (a list that ended early) is nobody, not an absent name.
    if (!name.empty() && EqualIgnoringCase(name, s.DefaultRecipient)) {
      s.DefaultIndex = static_cast<int16_t>(i);
    }
    if (!name.empty() && EqualIgnoringCase(name, s.MyName)) {
      s.MyIndex = static_cast<int16_t>(i);
      if (s.UsePopSetting == "INTERNAL" && program.hooks.StartPoller) program.hooks.StartPoller();
    }
    s.PersonLog[slot] = folder + "\\MESSAGES";
    s.PersonComputer[slot] = computer;
    s.PersonArchive[slot] = folder + "\\ARCHIVE";
    s.PersonExport[slot] = folder + "\\EXPORT.TXT";
    s.PersonAlert[slot] = alert;
  }
  return Status::Ok();
}

}  // namespace telvo
