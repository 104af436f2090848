// check-share: tells an administrator whether the shared folder's mount
// keeps a delivered call, from its mount options and from trying locks,
// appends and renames on it.

#include <filesystem>
#include <ostream>

#include "app/log_commands.h"
#include "platform/share_check.h"

namespace telvo {
namespace {

const char kHelp[] =
    "Usage: telvo-log check-share FOLDER [SECOND_MOUNT] [--tsv]\n"
    "\n"
    "Tells whether the file system under a shared folder keeps every delivered\n"
    "call: its type and mount options, whether a lock taken in FOLDER keeps\n"
    "another process out and, given SECOND_MOUNT (the same folder mounted a\n"
    "second time), whether that lock, an append and a rename made through\n"
    "FOLDER are seen at once through it. A probe file .telvo-share-check-PID\n"
    "is made in FOLDER and removed again. The exit status is 1 when something\n"
    "found is unsafe.\n"
    "\n"
    "Options:\n"
    "      --tsv      print one finding a line: name, verdict (safe, unsafe,\n"
    "                 not checked), value and advice, separated by tabs\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n";

const char kDeployment[] = "see docs/DEPLOYMENT.md, 'Mounting the share'";

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kSafe:
      return "safe";
    case Verdict::kUnsafe:
      return "unsafe";
    case Verdict::kNotChecked:
      break;
  }
  return "not checked";
}

// Paths and mount options may hold any byte but these: a finding stays one
// line, its fields apart.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return text;
}

int Usage(std::ostream& err, const std::string& problem) {
  return UsageError(err, problem, &kCheckShareCommand);
}

int RunCheckShare(const CommandLine& line, std::ostream& out, std::ostream& err, TerminalText) {
  if (line.positional.empty()) return Usage(err, "the FOLDER argument is missing");
  if (line.positional.size() > 2) return Usage(err, "check-share takes FOLDER [SECOND_MOUNT]");
  for (const std::string& folder : line.positional) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
      return Usage(err, folder + " is not a folder");
  }
  const std::string& folder = line.positional[0];
  const std::string second = line.positional.size() > 1 ? line.positional[1] : "";

  ShareReport report = InspectShare(folder);
  std::vector<ShareFinding> probes;
  Status probed = ProbeShare(folder, second, &probes);
  if (!probed.ok() && probed.code() == kFileNotFound && probed.context() == second)
    return Usage(err, second + " does not show the probe file made in " + folder +
                          ": it is not a mount of the same folder");
  if (!probed.ok()) {
    err << "telvo-log: the probe file could not be made: " << probed.ToString() << "\n";
    probes = {{"lock here", "the check could not tell: the probe file could not be made",
               Verdict::kNotChecked, ""}};
  }
  // The file system first, then what was tried, then the rest of what its
  // options tell.
  std::vector<ShareFinding> findings = report.findings;
  findings.insert(findings.begin() + 1, probes.begin(), probes.end());

  bool unsafe = false, unchecked = false;
  const bool tsv = line.has("--tsv");
  if (!tsv) out << "Shared folder " << OneLine(folder) << "\n";
  for (const ShareFinding& finding : findings) {
    unsafe |= finding.verdict == Verdict::kUnsafe;
    unchecked |= finding.verdict == Verdict::kNotChecked;
    const std::string verdict = VerdictName(finding.verdict);
    if (tsv) {
      out << OneLine(finding.name) << "\t" << verdict << "\t" << OneLine(finding.value) << "\t"
          << OneLine(finding.advice) << "\n";
      continue;
    }
    out << "  " << verdict << std::string(13 - verdict.size(), ' ') << OneLine(finding.name) << ": "
        << OneLine(finding.value) << "\n";
    if (!finding.advice.empty() && finding.verdict != Verdict::kSafe)
      out << std::string(15, ' ') << "-> " << OneLine(finding.advice) << "\n";
  }
  if (!tsv) {
    if (!report.problem.empty())
      out << "Telvo refuses to post here: " << OneLine(report.problem) << "\n";
    if (unsafe) {
      out << "Unsafe: calls delivered here can be lost. Change what is marked unsafe; "
          << kDeployment << ".\n";
    } else if (unchecked) {
      out << "Nothing unsafe found, but not everything could be checked"
          << (second.empty() ? ": run this again with a second mount of the folder" : "") << "; "
          << kDeployment << ".\n";
    } else {
      out << "Safe: the share is mounted as Telvo needs (" << kDeployment << ").\n";
    }
  }
  return unsafe || !probed.ok() ? 1 : 0;
}

}  // namespace

const LogCommand kCheckShareCommand = {"check-share", "--tsv", kHelp, nullptr, RunCheckShare};

}  // namespace telvo
