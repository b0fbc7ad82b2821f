// The three jobs of vyrpack on a data archive: build it from loose files, list
// its members, and write its members back out as loose files.
//
// Every job answers 1 on success and 0 on failure; on failure `error` holds a
// one-line message for the user. No job ends the process.
#pragma once

#include <string>
#include <vector>

namespace vyrpack {

struct CreateJob {
  std::string archive;               // the archive to write
  std::string directory;             // where the loose files lie
  std::vector<std::string> members;  // file names in directory, in archive order
  int force = 0;                     // replace an existing archive
};

struct ExtractJob {
  std::string archive;               // the archive to read
  std::string directory;             // where the loose files go (created when missing)
  std::vector<std::string> members;  // members to write; empty: all of them
  int force = 0;                     // replace existing files
};

int createArchive(const CreateJob& job, std::string& error);
// Writes "lines  NAME" per member, in file order, into `listing`.
int listArchive(const std::string& archive, std::string& listing, std::string& error);
int extractArchive(const ExtractJob& job, std::string& error);

}  // namespace vyrpack
