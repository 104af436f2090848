// What every PhoneStore promises, written once and run against each store:
// the folder store on a temporary folder and the database store on the test
// cluster. The windows and telvo-log may then take either.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "database/test_database.h"
#include "store/database/database_schema.h"
#include "store/database/database_store.h"
#include "store/folder_store.h"
#include "support/records.h"
#include "support/test_env.h"

namespace telvo::test {
namespace {

// One kind of store as the tests meet it, afresh for each test.
class StoreFactory {
 public:
  virtual ~StoreFactory() = default;
  // Why this store cannot be tested here, or "".
  virtual std::string Unavailable() { return ""; }
  // A person of the store's workgroup with nothing kept yet.
  virtual Person Add(const std::string& name) = 0;
  // The store as one more workstation sees it.
  virtual std::unique_ptr<PhoneStore> Open() = 0;
  // What was exported from `owner`'s calls, in order.
  virtual std::string Exported(const Person& owner) = 0;
};

class FolderFactory : public StoreFactory {
 public:
  Person Add(const std::string& name) override {
    const std::string folder = temp_.file(std::to_string(++people_));
    std::filesystem::create_directories(folder);
    return {.name = name,
            .log = folder + "/MESSAGES",
            .archive = folder + "/ARCHIVE",
            .exportFile = folder + "/EXPORT.TXT",
            .alert = folder + "/ALERT.TXT"};
  }
  std::unique_ptr<PhoneStore> Open() override { return std::make_unique<FolderStore>(clock_); }
  std::string Exported(const Person& owner) override { return ReadWholeFile(owner.exportFile); }

 private:
  TempDir temp_;
  PosixEnv env_;
  FakeClockEnv clock_{&env_};
  int people_ = 0;
};

class DatabaseFactory : public StoreFactory {
 public:
  DatabaseFactory() : conninfo_(TestDatabase(&why_)) {}
  std::string Unavailable() override { return conninfo_.empty() ? why_ : ""; }
  Person Add(const std::string& name) override {
    PgConnection admin;
    StoreError error = admin.Connect(conninfo_);
    if (error.ok()) error = AddPerson(admin, workgroup_, name, "");
    EXPECT_TRUE(error.ok()) << error.detail;
    return {.name = name};
  }
  std::unique_ptr<PhoneStore> Open() override {
    return std::make_unique<DatabaseStore>(conninfo_, workgroup_);
  }
  std::string Exported(const Person& owner) override {
    PgConnection admin;
    PgResult lines;
    StoreError error = admin.Connect(conninfo_);
    if (error.ok())
      error = admin.Exec(
          "SELECT line FROM export_line e JOIN person p ON p.id = e.person_id JOIN workgroup w "
          "ON w.id = p.workgroup_id WHERE w.name = $1 AND p.name = $2 ORDER BY e.seq",
          {PgParam::Text(workgroup_), PgParam::Bytes(owner.name)}, &lines);
    EXPECT_TRUE(error.ok()) << error.detail;
    std::string bytes;
    for (int row = 0; row < lines.rows(); ++row) bytes += lines.Bytes(row, 0);
    return bytes;
  }

 private:
  std::string why_;
  const std::string conninfo_;
  const std::string workgroup_ = UniqueName("contract");
};

struct Kind {
  const char* name;
  std::function<std::unique_ptr<StoreFactory>()> make;
};
// As ctest lists the test.
void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

class StoreContractTest : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    factory_ = GetParam().make();
    const std::string why = factory_->Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    ann_ = factory_->Add("Ann Smith");
    zoe_ = factory_->Add("Zo\xeb");
    calls_ = {ann_, false};
    store_ = factory_->Open();
  }

  void Post(const std::string& body) { ASSERT_TRUE(store_->Post(ann_, body).ok()) << body; }

  // The bodies of a page, in its order.
  static std::vector<std::string> Bodies(const CallPage& page) {
    EXPECT_TRUE(page.error.ok()) << static_cast<int>(page.error.kind) << page.error.detail;
    std::vector<std::string> bodies;
    for (const Call& call : page.calls) bodies.push_back(call.body);
    return bodies;
  }
  std::vector<std::string> Newest(bool archive) {
    return Bodies(store_->ReadPage({ann_, archive}, {}, PageDirection::kOlder, 12));
  }

  std::unique_ptr<StoreFactory> factory_;
  std::unique_ptr<PhoneStore> store_;
  Person ann_, zoe_;
  CallBook calls_;
};

// Every mark byte a body may begin with, and every byte of the code page's
// upper half, in 26 calls: the newest page of 12 and the pages from a
// cursor both ways.
TEST_P(StoreContractTest, PostsReadBackByteForByteNewestFirstInPagesOf12) {
  const char marks[] = {MARK_NEW, MARK_DELETE, MARK_ARCHIVE, MARK_IMPORTANT, ' ', 0, 0x7f, '\xff'};
  std::string upper;
  for (int byte = 0x80; byte <= 0xff; ++byte) upper += static_cast<char>(byte);
  std::vector<std::string> posted;
  int64_t watermark = 0;
  for (int i = 0; i < 26; ++i) {
    posted.push_back(CallBody(TestCall{.mark = marks[i % 8],
                                       .caller = "Caller " + std::to_string(i),
                                       .message = upper + "\r\nline two (CW)"}));
    ASSERT_NO_FATAL_FAILURE(Post(posted.back()));
    int64_t grown = 0;
    ASSERT_TRUE(store_->Watermark(ann_, &grown).ok());
    EXPECT_GT(grown, watermark);
    watermark = grown;
  }
  const CallBook book{ann_, false};
  const auto newestFirst = [&](int from, int to) {  // posted[from] down to posted[to]
    std::vector<std::string> bodies;
    for (int i = from; i >= to; --i) bodies.push_back(posted[static_cast<size_t>(i)]);
    return bodies;
  };
  const CallPage first = store_->ReadPage(book, {}, PageDirection::kOlder, 12);
  EXPECT_EQ(Bodies(first), newestFirst(25, 14));
  EXPECT_TRUE(first.more);
  EXPECT_FALSE(first.logEmpty);
  const CallPage second = store_->ReadPage(book, first.calls.back().id, PageDirection::kOlder, 12);
  EXPECT_EQ(Bodies(second), newestFirst(13, 2));
  EXPECT_TRUE(second.more);
  const CallPage last = store_->ReadPage(book, second.calls.back().id, PageDirection::kOlder, 12);
  EXPECT_EQ(Bodies(last), newestFirst(1, 0));
  EXPECT_FALSE(last.more);

  // Back towards the newest, oldest first, from the middle page's oldest.
  const CallPage newer = store_->ReadPage(book, second.calls.back().id, PageDirection::kNewer, 12);
  std::vector<std::string> expected(posted.begin() + 3, posted.begin() + 15);
  EXPECT_EQ(Bodies(newer), expected);
  EXPECT_TRUE(newer.more);
  const CallPage oldest = store_->ReadPage(book, {}, PageDirection::kNewer, 26);
  EXPECT_EQ(Bodies(oldest), posted);
  EXPECT_FALSE(oldest.more);

  const CallRead read = store_->ReadCall(book, first.calls[3].id);
  EXPECT_TRUE(read.error.ok());
  EXPECT_EQ(read.call.body, posted[22]);
  const CallPage none = store_->ReadPage({zoe_, false}, {}, PageDirection::kOlder, 12);
  EXPECT_TRUE(none.error.ok());
  EXPECT_TRUE(none.logEmpty);
  EXPECT_TRUE(none.calls.empty());
  EXPECT_FALSE(none.more);
}

TEST_P(StoreContractTest, AMarkKeepsTheCallAndAPurgeElsewhereMakesItStale) {
  for (const char* caller : {"Joe", "Kim", "Lee"}) ASSERT_NO_FATAL_FAILURE(Post(CallBody(caller)));
  const CallPage page = store_->ReadPage(calls_, {}, PageDirection::kOlder, 12);
  ASSERT_EQ(page.calls.size(), 3u);
  const Call lee = page.calls[0], kim = page.calls[1], joe = page.calls[2];

  const CallRead marked = store_->Mark(calls_, kim.id, MARK_DELETE);
  ASSERT_TRUE(marked.error.ok());
  EXPECT_EQ(marked.call.body, CallBody("Kim", MARK_DELETE));
  EXPECT_EQ(marked.call.id.ToText(), kim.id.ToText());  // the mark is not the call
  EXPECT_EQ(store_->ReadCall(calls_, kim.id).call.body, CallBody("Kim", MARK_DELETE));
  // Lee's digest where Kim stands names no call there: nothing is written.
  const CallId wrong{kim.id.position, lee.id.digest};
  EXPECT_EQ(store_->Mark(calls_, wrong, MARK_ARCHIVE).error.kind, StoreError::Kind::kStale);
  EXPECT_EQ(store_->ReadCall(calls_, kim.id).call.body, CallBody("Kim", MARK_DELETE));

  // Another workstation purges: Kim is gone, and what was shown of Kim with it.
  ASSERT_TRUE(factory_->Open()->Purge(calls_).ok());
  EXPECT_EQ(store_->ReadCall(calls_, kim.id).error.kind, StoreError::Kind::kStale);
  EXPECT_EQ(store_->Mark(calls_, kim.id, MARK_NEW).error.kind, StoreError::Kind::kStale);
  EXPECT_EQ(store_->ReadPage(calls_, kim.id, PageDirection::kOlder, 12).error.kind,
            StoreError::Kind::kStale);
  EXPECT_EQ(Newest(false), (std::vector<std::string>{lee.body, joe.body}));
}

// Deleted and unknown marks are dropped, archived calls move to the end of
// the archive still marked (a body without its fields written anew), and
// the archive's own purge keeps what is archived or new.
TEST_P(StoreContractTest, PurgeDropsMovesAndPurgesTheArchive) {
  const std::string torn = std::string(1, MARK_ARCHIVE) + "12-06-2026\x11Torn";
  for (const std::string& body :
       {CallBody("New"), CallBody("Deleted", MARK_DELETE), CallBody("Archived", MARK_ARCHIVE),
        CallBody("Urgent", MARK_IMPORTANT), CallBody("Old", ' '), CallBody("Odd", 0x7f), torn})
    ASSERT_NO_FATAL_FAILURE(Post(body));
  ASSERT_TRUE(store_->Purge(calls_).ok());
  EXPECT_EQ(Newest(false),
            (std::vector<std::string>{CallBody("Old", ' '), CallBody("Urgent", MARK_IMPORTANT),
                                      CallBody("New")}));
  const std::string rebuilt = std::string(1, MARK_ARCHIVE) + "12-06-2026\x11Torn\x11\x11\x11\x11";
  EXPECT_EQ(Newest(true), (std::vector<std::string>{rebuilt, CallBody("Archived", MARK_ARCHIVE)}));

  // A later purge's calls go after the earlier ones.
  ASSERT_NO_FATAL_FAILURE(Post(CallBody("Later", MARK_ARCHIVE)));
  ASSERT_TRUE(store_->Purge(calls_).ok());
  const CallBook archive{ann_, true};
  const CallPage archived = store_->ReadPage(archive, {}, PageDirection::kOlder, 12);
  EXPECT_EQ(Bodies(archived), (std::vector<std::string>{CallBody("Later", MARK_ARCHIVE), rebuilt,
                                                        CallBody("Archived", MARK_ARCHIVE)}));
  ASSERT_EQ(archived.calls.size(), 3u);
  ASSERT_TRUE(store_->Mark(archive, archived.calls[0].id, MARK_NEW).error.ok());
  ASSERT_TRUE(store_->Mark(archive, archived.calls[2].id, MARK_DELETE).error.ok());
  ASSERT_TRUE(store_->Purge(archive).ok());
  EXPECT_EQ(Newest(true), (std::vector<std::string>{CallBody("Later"), rebuilt}));
}

TEST_P(StoreContractTest, ExportsAppendLinesAndAlertsAreWrittenReadAndRemoved) {
  ASSERT_NO_FATAL_FAILURE(
      Post(CallBody(TestCall{.caller = "Joe \"JJ\"", .message = "a\r\nb (CW)"})));
  ASSERT_NO_FATAL_FAILURE(Post(CallBody("Kim")));
  const CallPage page = store_->ReadPage(calls_, {}, PageDirection::kOlder, 12);
  ASSERT_EQ(page.calls.size(), 2u);
  EXPECT_TRUE(store_->Export(ann_, page.calls[1]).ok());
  EXPECT_TRUE(store_->Export(ann_, page.calls[0]).ok());
  EXPECT_EQ(factory_->Exported(ann_),
            "\"12-06-2026\",\"9:05 AM\",\"Joe \"\"JJ\"\"\",\"555-0100\","
            "\"a\r\nb (CW)\"\r\n" +
                ExportLine(page.calls[0].body));

  AlertRead alert = store_->ReadAlert(zoe_);
  EXPECT_TRUE(alert.error.ok());
  EXPECT_FALSE(alert.exists);
  const LocalDateTime now{2026, 12, 6, 9, 5, 0};
  ASSERT_TRUE(store_->WriteAlert(zoe_, "Out today\r\nBack \xe0 3", now).ok());
  ASSERT_TRUE(store_->WriteAlert(zoe_, "In at 2\r\n\xc0 bient\xf4t", now).ok());
  alert = store_->ReadAlert(zoe_);
  EXPECT_TRUE(alert.exists);
  EXPECT_EQ(alert.text, "In at 2\r\n\xc0 bient\xf4t\r\nPosted 9:05 AM 12-06-2026");
  EXPECT_TRUE(store_->RemoveAlert(zoe_).ok());
  EXPECT_FALSE(store_->ReadAlert(zoe_).exists);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, StoreContractTest,
    ::testing::Values(Kind{"Folder", [] { return std::make_unique<FolderFactory>(); }},
                      Kind{"Database", [] { return std::make_unique<DatabaseFactory>(); }}),
    [](const ::testing::TestParamInfo<Kind>& kind) { return std::string(kind.param.name); });

}  // namespace
}  // namespace telvo::test
