// Who may do what in a database workgroup, decided by the database itself:
// each person's own role, the policies on the tables and the audit trail
// that members append to and never change.

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/log_tool.h"
#include "core/call_fields.h"
#include "database/test_database.h"
#include "platform/posix_env.h"
#include "store/database/database_schema.h"
#include "store/database/database_store.h"
#include "support/records.h"
#include "support/test_env.h"

namespace telvo::test {
namespace {

class DatabaseRolesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (conninfo_.empty()) GTEST_SKIP() << why_;
    ASSERT_TRUE(admin_.Connect(conninfo_).ok());
    ASSERT_TRUE(AddPerson(admin_, front_, "Ann", "", Role("ann")).ok());
    ASSERT_TRUE(AddPerson(admin_, front_, "Bob", "", Role("bob")).ok());
    ASSERT_TRUE(AddPerson(admin_, back_, "Cy", "", Role("cy")).ok());
    // A role that may log in but belongs to no workgroup.
    ASSERT_TRUE(admin_.Exec(("CREATE ROLE " + Role("stranger") + " LOGIN").c_str()).ok());
  }

  void TearDown() override {
    if (!admin_.connected()) return;
    static_cast<void>(admin_.Exec("DELETE FROM workgroup WHERE name IN ($1, $2)",
                                  {PgParam::Text(front_), PgParam::Text(back_)}));
    for (const char* who : {"ann", "bob", "cy", "stranger"})
      static_cast<void>(admin_.Exec(("DROP ROLE IF EXISTS " + Role(who)).c_str()));
  }

  // Role names are the whole cluster's: this run's own.
  static std::string Role(const std::string& who) { return who + "_" + std::to_string(::getpid()); }
  std::string As(const std::string& who) const { return conninfo_ + " user=" + Role(who); }

  // The failure of `sql` run as `who`, or "" when it ran.
  std::string Refusal(const std::string& who, const std::string& sql,
                      std::initializer_list<PgParam> params = {}) {
    PgConnection connection;
    StoreError error = connection.Connect(As(who));
    if (error.ok()) error = connection.Exec(sql.c_str(), params);
    return error.detail;
  }

  int64_t CountAs(const std::string& who, const char* sql) {
    PgConnection connection;
    EXPECT_TRUE(connection.Connect(As(who)).ok());
    return QueryNumber(connection, sql);
  }

  std::string why_;
  const std::string conninfo_ = TestDatabase(&why_);
  const std::string front_ = UniqueName("front"), back_ = UniqueName("back");
  const Person ann_{.name = "Ann"}, bob_{.name = "Bob"}, cy_{.name = "Cy"};
  PgConnection admin_;
};

// A member works on a colleague's calls as on a shared folder; a member of
// another workgroup, and a role of none, reach nothing of them.
TEST_F(DatabaseRolesTest, MembersWorkOnTheirWorkgroupAndNobodyElseSeesIt) {
  DatabaseStore ann(As("ann"), front_);
  ASSERT_TRUE(ann.Post(bob_, CallBody("Joe")).ok());
  const CallPage page = ann.ReadPage({bob_, false}, {}, PageDirection::kOlder, 12);
  ASSERT_TRUE(page.error.ok()) << page.error.detail;
  ASSERT_EQ(page.calls.size(), 1u);
  const CallId joe = page.calls[0].id;
  ASSERT_TRUE(ann.Mark({bob_, false}, joe, MARK_ARCHIVE).error.ok());
  ASSERT_TRUE(ann.Export(bob_, page.calls[0]).ok());
  ASSERT_TRUE(ann.Purge({bob_, false}).ok());

  // Cy's role reaches the back office alone: the front's workgroup is not
  // there for it, nor a single row of its calls or people.
  DatabaseStore cy(As("cy"), front_);
  EXPECT_NE(cy.Post(ann_, CallBody("Spy")).detail.find("is not one of its members"),
            std::string::npos);
  ASSERT_TRUE(DatabaseStore(As("bob"), front_).Post(bob_, CallBody("Kim")).ok());
  EXPECT_EQ(CountAs("cy", "SELECT count(*) FROM call"), 0);
  EXPECT_EQ(CountAs("cy", "SELECT count(*) FROM person"), 1);
  EXPECT_EQ(CountAs("cy", "SELECT count(*) FROM audit"), 0);
  EXPECT_EQ(Refusal("cy",
                    "INSERT INTO call (person_id, book, body) "
                    "SELECT id, 0, '\\x00'::bytea FROM person WHERE role IS NULL LIMIT 1"),
            "");  // finds nobody of another workgroup to write to
  EXPECT_EQ(CountAs("bob", "SELECT count(*) FROM call WHERE book = 0"), 1);
  EXPECT_NE(Refusal("stranger", "SELECT count(*) FROM call").find("permission denied"),
            std::string::npos);
  EXPECT_NE(Refusal("stranger", "SELECT count(*) FROM person").find("permission denied"),
            std::string::npos);
}

// A member sets a colleague's mark but cannot rewrite the rest of the
// call; the audit rows of a mark, an export, a forward and a purge name who
// did what, and nobody can change them.
TEST_F(DatabaseRolesTest, OnlyMarksOfOthersChangeAndTheAuditStaysAsWritten) {
  DatabaseStore ann(As("ann"), front_);
  ASSERT_TRUE(ann.Post(bob_, CallBody("Joe")).ok());
  // Other tests post to the same cluster at the same time: Bob's own call.
  const int64_t seq = QueryNumber(
      admin_, "SELECT max(seq) FROM call c JOIN person p ON p.id = c.person_id WHERE p.role = $1",
      {PgParam::Text(Role("bob"))});
  const PgParam at = PgParam::Int64(seq);
  EXPECT_EQ(Refusal("ann", "UPDATE call SET body = set_byte(body, 0, 4) WHERE seq = $1", {at}), "");
  EXPECT_EQ(Refusal("ann", "UPDATE call SET body = set_byte(body, 3, 65) WHERE seq = $1", {at}),
            "Only the mark of another person's call may be changed.");
  EXPECT_NE(Refusal("ann", "UPDATE call SET person_id = person_id WHERE seq = $1", {at})
                .find("permission denied"),
            std::string::npos);

  const CallPage page = ann.ReadPage({bob_, false}, {}, PageDirection::kOlder, 1);
  ASSERT_EQ(page.calls.size(), 1u);
  ASSERT_TRUE(ann.Mark({bob_, false}, page.calls[0].id, '\x01').error.ok());
  ASSERT_TRUE(ann.Export(bob_, page.calls[0]).ok());
  ASSERT_TRUE(ann.PostForward(ann_, CallBody("Joe"), {{bob_, false}, seq}).ok());
  ASSERT_TRUE(DatabaseStore(As("bob"), front_).Purge({bob_, false}).ok());
  // The administrator's list of it, a row a line.
  TempDir temp;
  const std::string list = temp.file("front.wgl");
  WriteWholeFile(list, "DATABASE " + conninfo_ + " workgroup=" + front_ + "\r\n");
  PosixEnv env;
  std::ostringstream out, err;
  ASSERT_EQ(RunLogTool({"audit", list, "--person", "BOB", "--tsv"}, env, out, err), 0) << err.str();
  std::vector<std::string> audit;
  std::istringstream lines(out.str());
  for (std::string row; std::getline(lines, row);) audit.push_back(row.substr(row.find('\t') + 1));
  const std::string call = std::to_string(seq);
  EXPECT_EQ(audit, (std::vector<std::string>{Role("ann") + "\tBob\tmark\t" + call + "\tnew",
                                             Role("ann") + "\tBob\texport\t" + call + "\t",
                                             Role("ann") + "\tBob\tforward\t" + call + "\tAnn",
                                             Role("bob") + "\tBob\tpurge\t\tcalls"}));

  for (const char* change : {"UPDATE audit SET role = current_user", "DELETE FROM audit"})
    EXPECT_NE(Refusal("ann", change).find("permission denied"), std::string::npos) << change;
  const int32_t annId = static_cast<int32_t>(
      QueryNumber(admin_, "SELECT id FROM person WHERE role = $1", {PgParam::Text(Role("ann"))}));
  EXPECT_NE(Refusal("ann", "INSERT INTO audit (person_id, action, role) VALUES ($1, 'mark', $2)",
                    {PgParam::Int32(annId), PgParam::Text(Role("bob"))})
                .find("row-level security"),
            std::string::npos);
}

// Anyone may LISTEN on any channel: a stranger to the workgroup hears that
// somebody got a call, and nothing of the call.
TEST_F(DatabaseRolesTest, ListeningOnAnotherWorkgroupRevealsNoCallContent) {
  DatabaseStore ann(As("ann"), front_);
  ASSERT_TRUE(ann.Connect().ok());
  PgConnection cy;
  ASSERT_TRUE(cy.Connect(As("cy")).ok());
  ASSERT_TRUE(cy.Exec(("LISTEN " + NotifyChannel(ann.workgroupId())).c_str()).ok());
  ASSERT_TRUE(ann.Post(bob_, CallBody(TestCall{.caller = "Secret caller"})).ok());
  std::vector<PgConnection::Notification> heard;
  for (int i = 0; i < 200 && heard.empty(); ++i) {
    ASSERT_TRUE(cy.TakeNotifications(&heard).ok());
    if (heard.empty()) ::usleep(20000);
  }
  ASSERT_EQ(heard.size(), 1u);
  const int64_t bobId =
      QueryNumber(admin_, "SELECT id FROM person WHERE role = $1", {PgParam::Text(Role("bob"))});
  EXPECT_EQ(heard[0].payload, std::to_string(bobId));
  EXPECT_EQ(QueryNumber(cy, "SELECT count(*) FROM call WHERE person_id = $1",
                        {PgParam::Int32(static_cast<int32_t>(bobId))}),
            0);
}

}  // namespace
}  // namespace telvo::test
