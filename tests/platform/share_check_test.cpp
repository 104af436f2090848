// The judgement of a shared folder's mount: the mount table as the kernel
// writes it, and what each file system and setting does to a delivered call.

#include "platform/share_check.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace telvo::test {
namespace {

TEST(ShareCheckTest, ReadsTheMountTableAndFindsTheMountHoldingAFolder) {
  const std::vector<MountEntry> mounts = ParseMountInfo(
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
      "40 22 0:40 / /srv/ph rw - tmpfs tmpfs rw\n"
      "41 22 0:41 / /srv/phone rw,nosuid shared:7 master:2 - nfs4 server:/export\\040share "
      "rw,vers=4.2\n"
      "42 22 0:42 /sub /srv/phone\\040office\\134x rw - fuse.glusterfs vm:/tv2 rw,user_id=0\n"
      "43 41 0:43 / /srv/phone rw - cifs //server/phone rw,nobrl\n"
      "not a mount line\n");
  ASSERT_EQ(mounts.size(), 5u);
  EXPECT_EQ(mounts[2].mountPoint, "/srv/phone");
  EXPECT_EQ(mounts[2].fileSystem, "nfs4");
  EXPECT_EQ(mounts[2].source, "server:/export share");
  EXPECT_EQ(mounts[2].mountOptions, "rw,nosuid,rw,vers=4.2");
  EXPECT_EQ(mounts[3].mountPoint, "/srv/phone office\\x");

  // A mount holds its own folder and those below it, never a sibling that
  // only shares its first letters; the cifs mount stacked later wins.
  const std::vector<std::pair<std::string, std::string>> holders = {
      {"/srv/phone/ann", "cifs"}, {"/srv/phone/", "cifs"},
      {"/srv/ph/x", "tmpfs"},     {"/srv/phonebook", "ext4"},
      {"/srv", "ext4"},           {"/srv/phone office\\x/ann", "fuse.glusterfs"},
  };
  for (const auto& [path, type] : holders) {
    const MountEntry* mount = MountHolding(mounts, path);
    ASSERT_NE(mount, nullptr) << path;
    EXPECT_EQ(mount->fileSystem, type) << path;
  }
  EXPECT_EQ(MountHolding({}, "/srv"), nullptr);

  // A folder that does not exist yet lies on the mount of its nearest parent.
  TempDir temp;
  const ShareReport here = InspectShare(temp.path());
  EXPECT_FALSE(here.mount.fileSystem.empty());
  EXPECT_EQ(InspectShare(temp.file("not/yet")).mount.mountPoint, here.mount.mountPoint);
}

const ShareFinding* Finding(const ShareReport& report, const std::string& name) {
  for (const ShareFinding& finding : report.findings)
    if (finding.name == name) return &finding;
  return nullptr;
}

TEST(ShareCheckTest, GlusterClientCachesAndMountOptions) {
  const MountEntry mount{"/srv/phone", "fuse.glusterfs", "vm:/office", "rw,user_id=0"};
  const std::vector<std::string> core = {"protocol/client", "cluster/replicate", "debug/io-stats"};
  GlusterClient defaults{core, "/usr/sbin/glusterfs --volfile-id=/office /srv/phone", true, true};
  const std::vector<std::pair<std::string, std::string>> caches = {
      {"write-behind", "write-behind"},   {"read-ahead", "read-ahead"},
      {"readdir-ahead", "readdir-ahead"}, {"io-cache", "io-cache"},
      {"quick-read", "quick-read"},       {"open-behind", "open-behind"},
      {"md-cache", "stat-prefetch"},      {"nl-cache", "nl-cache"},
  };
  for (const auto& [translator, option] : caches)
    defaults.translatorTypes.push_back("performance/" + translator);
  ShareReport report = JudgeMount(mount, defaults);
  EXPECT_EQ(report.findings[0].verdict, Verdict::kUnsafe);
  EXPECT_EQ(Finding(report, "fuse mount options")->verdict, Verdict::kUnsafe);
  const ShareFinding* cached = Finding(report, "gluster client caches");
  EXPECT_EQ(cached->verdict, Verdict::kUnsafe);
  for (const auto& [translator, option] : caches) {
    EXPECT_NE(cached->value.find(translator), std::string::npos) << translator;
    EXPECT_NE(cached->advice.find("gluster volume set office performance." + option + " off"),
              std::string::npos)
        << option;
    EXPECT_NE(report.problem.find("performance." + option), std::string::npos) << option;
  }
  EXPECT_EQ(report.problem.rfind("The shared folder /srv/phone is a GlusterFS mount", 0), 0u);
  EXPECT_NE(report.problem.find("-o attribute-timeout=0,entry-timeout=0,direct-io-mode=enable."),
            std::string::npos);
  EXPECT_EQ(report.problem.find('\n'), std::string::npos);

  // Caches off, both timeouts 0 and the page cache bypassed: nothing to refuse.
  GlusterClient tuned{core,
                      "/usr/sbin/glusterfs --direct-io-mode=enable --attribute-timeout=0 "
                      "--entry-timeout=0 /srv/phone",
                      true, true};
  report = JudgeMount(mount, tuned);
  EXPECT_EQ(report.problem, "");
  for (const ShareFinding& finding : report.findings)
    EXPECT_EQ(finding.verdict, Verdict::kSafe) << finding.name << ": " << finding.value;

  // One timeout left at its default is enough to hide a replaced log, and
  // the page cache a mark written elsewhere.
  tuned.commandLine = "/usr/sbin/glusterfs --attribute-timeout=0 --direct-io-mode=enable /mnt";
  report = JudgeMount(mount, tuned);
  EXPECT_EQ(Finding(report, "fuse mount options")->value,
            "attribute-timeout 0, entry-timeout 1 (default), direct-io-mode enable");
  EXPECT_EQ(report.problem,
            "The shared folder /srv/phone is a GlusterFS mount whose client keeps file lengths, "
            "names and pages for a while, which can hide other workstations' calls. Mount it "
            "with -o attribute-timeout=0,entry-timeout=0,direct-io-mode=enable.");
  tuned.commandLine = "/usr/sbin/glusterfs --attribute-timeout=0 --entry-timeout=0 /mnt";
  EXPECT_EQ(JudgeMount(mount, tuned).problem, report.problem);

  // What the client's .meta folder does not show is not checked, not unsafe.
  report = JudgeMount(mount, GlusterClient{});
  EXPECT_EQ(report.problem, "");
  EXPECT_EQ(Finding(report, "gluster client caches")->verdict, Verdict::kNotChecked);
  EXPECT_EQ(Finding(report, "fuse mount options")->verdict, Verdict::kNotChecked);
}

TEST(ShareCheckTest, LocksThatStayOnTheWorkstation) {
  struct Case {
    MountEntry mount;
    std::vector<std::string> daemon;  // the FUSE process's arguments, if found
    Verdict locks;
    std::string problem;  // a part of it, "" for none
  };
  const std::vector<Case> cases = {
      {{"/srv/phone", "ext4", "/dev/sda1", "rw,relatime"}, {}, Verdict::kSafe, ""},
      {{"/srv/phone", "nfs4", "s:/p", "rw,lookupcache=all,local_lock=none"},
       {},
       Verdict::kSafe,
       ""},
      {{"/srv/phone", "nfs", "s:/p", "rw,vers=3,nolock"},
       {},
       Verdict::kUnsafe,
       "an NFS mount with nolock, which keeps locks on this workstation, so two workstations can "
       "append to one log at once. Remove nolock from its mount options."},
      {{"/srv/phone", "nfs4", "s:/p", "rw,local_lock=posix"},
       {},
       Verdict::kUnsafe,
       "Remove local_lock=posix"},
      {{"/srv/phone", "nfs4", "s:/p", "rw,local_lock=all"},
       {},
       Verdict::kUnsafe,
       "Remove local_lock=all"},
      {{"/srv/phone", "cifs", "//s/p", "rw,vers=3.1.1,nobrl"},
       {},
       Verdict::kUnsafe,
       "an SMB mount with nobrl, which keeps locks on this workstation, so two workstations can "
       "append to one log at once. Remove nobrl from its mount options."},
      {{"/srv/phone", "smb3", "//s/p", "rw"}, {}, Verdict::kSafe, ""},
      {{"/srv/phone", "fuse.sshfs", "u@s:/p", "rw"},
       {},
       Verdict::kUnsafe,
       "an sshfs mount, which keeps locks on this workstation, so two workstations can append to "
       "one log at once. Mount the folder over NFS, SMB or GlusterFS instead."},
      {{"/srv/phone", "fuse", "/net/p", "rw"},
       {"bindfs", "/net/p", "/srv/phone"},
       Verdict::kUnsafe,
       "a bindfs mount: without --enable-lock-forwarding it keeps locks on this workstation, and "
       "with it a second open through the mount is not kept out. Mount the server's share "
       "directly."},
      // Measured: bindfs takes a forwarded lock as its own, so a second open
      // through the mount is granted it and that open's close drops it.
      {{"/srv/phone", "fuse", "/net/p", "rw"},
       {"/usr/bin/bindfs", "--multithreaded", "-o", "ro,enable-lock-forwarding", "/net/p",
        "/srv/phone"},
       Verdict::kUnsafe,
       "a bindfs mount"},
      {{"/srv/phone", "fuse", "bindfs", "rw"}, {}, Verdict::kUnsafe, "a bindfs mount"},
      {{"/srv/phone", "fuse", "/net/p", "rw"},
       {"encfs", "/net/p", "/srv/phone"},
       Verdict::kNotChecked,
       ""},
      {{"/srv/phone", "fuse.s3fs", "s3fs", "rw"}, {}, Verdict::kNotChecked, ""},
  };
  for (const Case& c : cases) {
    const std::string what = c.mount.fileSystem + " " + c.mount.mountOptions;
    const ShareReport report =
        JudgeMount(c.mount, GlusterClient{}, FuseDaemon{c.daemon, !c.daemon.empty()});
    ASSERT_EQ(report.findings.size(), 2u) << what;
    EXPECT_EQ(report.findings[0].value, c.mount.fileSystem + " from " + c.mount.source +
                                            " at /srv/phone, options " + c.mount.mountOptions);
    EXPECT_EQ(report.findings[0].verdict,
              c.locks == Verdict::kUnsafe ? Verdict::kUnsafe : Verdict::kSafe)
        << what;
    EXPECT_EQ(report.findings[1].verdict, c.locks) << what;
    if (c.problem.empty()) {
      EXPECT_EQ(report.problem, "") << what;
    } else {
      EXPECT_EQ(report.problem.rfind("The shared folder /srv/phone is ", 0), 0u) << what;
      EXPECT_NE(report.problem.find(c.problem), std::string::npos) << report.problem;
      EXPECT_FALSE(report.findings[1].advice.empty()) << what;
    }
  }
}

}  // namespace
}  // namespace telvo::test
