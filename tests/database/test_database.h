#pragma once
// The throw-away cluster that tests/database/pg_cluster.sh starts for a
// test run (ctest's Database.ClusterStart), as the database tests reach it.

#include <gtest/gtest.h>

#include <string>

#include "store/database/pg_connection.h"

namespace telvo::test {

// The cluster's connection string, its tables made; or "" with `why` there
// is none, for a test to skip with.
std::string TestDatabase(std::string* why);

// A name no other test or run uses: `prefix`, the test's name and the pid.
std::string UniqueName(const std::string& prefix);

// Runs one statement on `connection` and gives its first value as an
// integer: a test's look behind the store.
int64_t QueryNumber(PgConnection& connection, const char* sql,
                    std::initializer_list<PgParam> params = {});

}  // namespace telvo::test
