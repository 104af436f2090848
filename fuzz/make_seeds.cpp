// Writes the small seed corpora of the fuzz targets into the folder given
// (fuzz/corpus): a few sound inputs of each kind and a few damaged ones, so
// that every run starts from the shapes the readers expect.
//
//   telvo_fuzz_seeds fuzz/corpus

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/program_state.h"
#include "store/phone_log.h"

namespace telvo::fuzz {
namespace {

namespace fs = std::filesystem;

std::string CallRecordOf(char mark, const std::string& caller,
                         const std::string& message = "call back (CW)") {
  std::string body(1, mark);
  for (const std::string& field : {std::string("12-06-2026"), caller, std::string("9:05 AM"),
                                   std::string("555-0100"), message})
    body.append(field).push_back(FIELD_END);
  return FrameRecord(body);
}

bool Write(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

}  // namespace
}  // namespace telvo::fuzz

int main(int argc, char** argv) {
  using namespace telvo;
  using namespace telvo::fuzz;
  using namespace std::string_literals;
  if (argc != 2) {
    std::fprintf(stderr, "usage: telvo_fuzz_seeds CORPUS_FOLDER\n");
    return 2;
  }
  const fs::path root = argv[1];
  const std::string sound = CallRecordOf(MARK_NEW, "Joe") +
                            CallRecordOf(MARK_IMPORTANT, "Ann Lee") + CallRecordOf(' ', "Blank") +
                            CallRecordOf(MARK_DELETE, "Done") +
                            CallRecordOf(MARK_ARCHIVE, "Keep me") + CallRecordOf('\x07', "Odd");
  const std::string longCall =
      CallRecordOf(MARK_NEW, "Long", std::string(300, 'x') + "\r\nmore (CW)");
  const std::string damaged =
      sound.substr(0, 40) + "\xff\xff" + CallRecordOf(MARK_ARCHIVE, "After");
  const std::string torn = sound + CallRecordOf(MARK_NEW, "Torn").substr(0, 9);
  const std::string loose = FrameRecord("\x03no fields"s) +
                            FrameRecord(std::string(1, MARK_ARCHIVE)) +
                            FrameRecord(
                                "\x03"
                                "a\x11"
                                "b\x11"
                                "c\x11"
                                "d\x11"
                                "e\x11"
                                "extra\x11");
  bool ok = true;
  for (const char* target : {"record_walk", "check"}) {
    // check's first byte picks the scanner's block size.
    const std::string prefix = std::string(target) == "check" ? "\x07" : "";
    ok &= Write(root / target, "sound", prefix + sound);
    ok &= Write(root / target, "long", prefix + longCall + sound);
    ok &= Write(root / target, "damaged", prefix + damaged);
    ok &= Write(root / target, "torn", prefix + torn);
  }
  // purge: the flags byte (bit 0 purges the archive, bit 1 gives an archive
  // beforehand, bit 2 fails one operation) is the last byte, the operation
  // that fails and its code come before it; the archive's bytes, ended by a
  // backslash and one more byte, come first, then the log.
  ok &= Write(root / "purge", "sound", sound + loose + "\x00\x00"s);
  ok &= Write(root / "purge", "with-archive",
              CallRecordOf(MARK_ARCHIVE, "Old") + "\\-" + sound + "\x00\x02"s);
  ok &= Write(root / "purge", "torn-archive",
              CallRecordOf(MARK_ARCHIVE, "Old").substr(0, 7) + "\\-" + sound + "\x00\x02"s);
  ok &= Write(root / "purge", "damaged", damaged + "\x00\x00"s);
  ok &= Write(root / "purge", "archive-itself", sound + loose + "\x00\x01"s);
  // A sound log's purge opens, reads, opens the work file and the archive,
  // reads the log, writes and syncs the archive, writes and syncs the work
  // file, renames it and syncs the folder: fail the archive's write (6th),
  // the work file's write (8th), and the cut that undoes the archive (9th).
  for (const char failAt : {'\x05', '\x07', '\x08'})
    ok &= Write(root / "purge", "failing-" + std::to_string(failAt + 1),
                sound + "\x01"s + failAt + "\x04"s);
  // call_paging: the steps, ended by a backslash and one more byte, come
  // first, then the log; the line height and the character width are the
  // last two bytes.
  const std::string steps = "\x00\x01\x01\x02\x01\x03\x00\x04\x02\\-"s;
  ok &= Write(root / "call_paging", "sound", steps + sound + longCall + sound + "\x0a\x04"s);
  ok &= Write(root / "call_paging", "damaged", steps + damaged + "\x05\x01"s);
  ok &= Write(root / "call_paging", "narrow", steps + longCall + "\x3b\x00"s);
  ok &= Write(root / "ini_file", "usable",
              "WorkGroup=/share/people.txt\r\nInitials=CW\r\nName=Carol White\r\n"
              "Default Recipient=Ann\r\nBackColor= 12632319\r\nPopUp=/usr/bin/telvo-popup\r\n"
              "Deliver=NotMinimized\r\nSplash=NO\r\nUsepop=INTERNAL\r\nPopUp=\r\n");
  ok &= Write(root / "ini_file", "no-initials", "WorkGroup=/share/people.txt\nName=Carol\n");
  ok &= Write(root / "workgroup", "three",
              "Ann Lee,/share/ann,ANNPC,/share/ann/alert\r\n"
              "Bob Smith,/share/bob,BOBPC,/share/bob/alert\r\n"
              "\"Carol, White\",/share/carol,CAROLPC,/share/carol/alert\r\n");
  ok &= Write(root / "workgroup", "ragged", "ann,/a,APC\r\n\r\nbob smith,/b,BPC,/b/al,extra\n");
  int n = 0;
  for (const char* number : {" 12632319", "-1", "&HC0C0FF", "&O777", "1.5E3", " 2 147 483 648",
                             "1D-400", "9e999", "-&H8000"})
    ok &= Write(root / "back_color", "number" + std::to_string(++n), number);
  for (const char* date : {"12-06-2026", "2/29/2024", "1.5.99", " 12-31-1999 ", "02-30-2026"})
    ok &= Write(root / "date", "date" + std::to_string(++n), date);
  ok &= Write(root / "datagram", "sent", "Carol\0CAROLPC\0Call Joe at 555-0100\0"s);
  ok &= Write(root / "datagram", "unended", "Carol\0PC\0\x07text\r\n"s);
  if (!ok) std::fprintf(stderr, "could not write every seed under %s\n", argv[1]);
  return ok ? 0 : 1;
}
