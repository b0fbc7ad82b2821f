// A test suite that checks against one of the small data sets under
// tests/e2e/data/, loaded once for the suite as loose files; afterwards the
// shared data is released and the data directory of before comes back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/engine.h"
#include "checker/syntax.h"
#include "gamedata/synworlds.h"

namespace vyr {

class DataSetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    savedDirectory() = SYNWORLDS::directory();
    useDataSet("mini");
  }
  static void TearDownTestSuite() {
    SYNTAX::releaseSyntaxData();
    SYNWORLDS::setDirectory(savedDirectory());
  }

  // Loads another data set in place of the one in use.
  static void useDataSet(const std::string& name) {
    SYNTAX::releaseSyntaxData();
    SYNWORLDS::setDirectory(std::string(VYR_TEST_DATA_DIR) + "/e2e/data/" + name);
    SYNTAX::loadSyntaxData(0, 0);
  }

 private:
  static std::string& savedDirectory() {
    static std::string directory;
    return directory;
  }
};

// A test suite that checks against the build's sample archive, loaded once
// for the suite through the engine call.
class SampleDataTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_EQ(loadGameData(VYR_BUILT_ARCHIVE, error), 1) << error;
  }
  static void TearDownTestSuite() {
    releaseGameData();
    SYNTAX::setArchivePath("");
  }
};

}  // namespace vyr
