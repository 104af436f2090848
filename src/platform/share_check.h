#pragma once
// What the file system under a shared folder does to Telvo's one promise,
// that a call reported as delivered is never lost. Some shares keep locks on
// the workstation (sshfs, bindfs, NFS mounted with nolock, SMB with nobrl),
// so two workstations append at once; some answer from client-side caches
// (a GlusterFS client's performance translators, FUSE attribute and entry
// timeouts), so a post sees a stale length or a replaced file. Posting is
// refused on a share known to be unsafe; reading, marking and purging are not.

#include <string>
#include <vector>

#include "platform/status.h"

namespace telvo {

// One line of /proc/self/mountinfo, unescaped ("\040" is a blank).
struct MountEntry {
  std::string mountPoint;
  std::string fileSystem;    // "ext4", "nfs4", "cifs", "fuse.glusterfs", "fuse.sshfs"
  std::string source;        // "vm:/office", "//server/phone", "bindfs"
  std::string mountOptions;  // per-mount and super-block options, joined by ","
};

std::vector<MountEntry> ParseMountInfo(const std::string& text);
// The mount that holds `nativePath`: the longest mount point that is the
// path or a folder above it; the last such line wins, as the kernel stacks
// mounts. Null when none does.
const MountEntry* MountHolding(const std::vector<MountEntry>& mounts,
                               const std::string& nativePath);

enum class Verdict { kSafe, kUnsafe, kNotChecked };

struct ShareFinding {
  std::string name;   // "file system", "locks", "gluster client caches", ...
  std::string value;  // what was found, for the report
  Verdict verdict = Verdict::kNotChecked;
  std::string advice;  // for an unsafe finding: the setting to change
};

// What a GlusterFS FUSE client runs: the types of the translators in its
// active graph ("performance/write-behind", ...) and its command line.
struct GlusterClient {
  std::vector<std::string> translatorTypes;
  std::string commandLine;
  bool graphRead = false;
  bool commandLineRead = false;
};

// The process that serves a FUSE mount, found among the running processes
// by the mount point in its arguments. Only that tells a bindfs mount from
// other FUSE mounts, and whether it forwards locks: without
// --enable-lock-forwarding they stay on this workstation, with it bindfs
// holds them as its own, so two opens through the mount share them.
struct FuseDaemon {
  std::vector<std::string> arguments;  // argv[0] first
  bool found = false;
};

struct ShareReport {
  MountEntry mount;
  std::vector<ShareFinding> findings;
  // Empty when nothing known makes posting unsafe. Else one or two
  // sentences for people: the share's problem and the setting to change.
  std::string problem;
};

// Judges a mount from what is known of it without touching any file on it;
// `gluster` is read only for fuse.glusterfs mounts.
ShareReport JudgeMount(const MountEntry& mount, const GlusterClient& gluster);
// The same, knowing the FUSE process that serves the mount (for bindfs).
ShareReport JudgeMount(const MountEntry& mount, const GlusterClient& gluster,
                       const FuseDaemon& daemon);

// Reads /proc/self/mountinfo and, for a GlusterFS mount, the client's
// .meta/graphs/active/volfile and .meta/cmdline at the mount point, then
// judges. `nativeFolder` is a folder on disk (UTF-8).
ShareReport InspectShare(const std::string& nativeFolder);

// Tries on the folder what the mount options can only promise. A probe file
// made in `nativeFolder` is locked, and a forked process's own open must
// fail to take the same lock. When `secondFolder` (another mount of the same
// folder) is not empty, the lock must also exclude an open through it, and
// an append and a rename made through the first mount must be seen through
// the second at once. One finding each; what could not be tried is not
// checked. The probe files are removed whatever happens. An error only when
// the probe file cannot be made, or when `secondFolder` does not show it
// within two seconds (53, with `secondFolder` as the context).
Status ProbeShare(const std::string& nativeFolder, const std::string& secondFolder,
                  std::vector<ShareFinding>* findings);

}  // namespace telvo
