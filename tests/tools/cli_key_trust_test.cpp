// Whose key files the tool uses: a key or pass-phrase file, or a FIFO, that another user owns
// or may write, or that lies in such a folder, would key the file with what that user chose.
// User nobody (65534) really owns what it plants here, so the tests need root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/folder_test.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kNobody = 65534;

class CliKeyTrust : public FolderTest {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant files that user nobody owns";
    ASSERT_EQ(::chmod(m_Dir.Path().c_str(), 0755), 0);
    WriteFile(Path("plain"), kData);
    for (const auto& [name, owner, mode] :
         std::vector<std::tuple<std::string, unsigned, int>>{{"own", 0, 0755},
                                                             {"sticky", 0, 01777},
                                                             {"open", 0, 0777},
                                                             {"nobodys", kNobody, 0755},
                                                             {"nobodys/sub", 0, 0755}}) {
      fs::create_directory(Path(name));
      ASSERT_EQ(::chown(Path(name).c_str(), owner, owner), 0);
      ASSERT_EQ(::chmod(Path(name).c_str(), static_cast<mode_t>(mode)), 0);
    }
  }

  const std::string kData = "the plain text of the file\n";
};

TEST_F(CliKeyTrust, KeySourcesOfOtherUsersAreRefusedUnlessTrusted) {
  struct Place {
    std::string folder;
    unsigned owner;
    int mode;
    std::string refused;  // the part named in the refusal, folder or file; empty when used
    std::string reason;   // after "a key file"
  };
  const std::string owned = " owned by another user is not used";
  const std::string writable = " that others may write is not used";
  const std::vector<Place> places = {
      {"own", 0, 0600, "", ""},
      {"sticky", 0, 0600, "", ""},
      {"own", kNobody, 0600, "own/k", owned},
      {"sticky", kNobody, 0600, "sticky/k", owned},
      {"own", 0, 0620, "own/k", writable},
      {"own", 0, 0602, "own/k", writable},
      {"nobodys", 0, 0600, "nobodys", " in a folder" + owned},
      {"nobodys/sub", 0, 0600, "nobodys", " in a folder" + owned},
      {"open", 0, 0600, "open", " in a folder" + writable},
  };
  const std::string key = "000102030405060708090a0b0c0d0e0f", keyBytes = Unhex(key);
  const std::string phrase = "a pass phrase";
  // The file itself, a FIFO in its place, or the file on standard input ("-"), which has no
  // folders to check.
  enum class Source { kFile, kFifo, kStandardInput };
  for (const Place& place : places) {
    for (const Source source : {Source::kFile, Source::kFifo, Source::kStandardInput}) {
      for (const bool passPhrase : {false, true}) {
        for (const bool trusted : {false, true}) {
          const std::string file = Path(place.folder + "/k");
          const std::string what = passPhrase ? "pass-phrase file" : "key file";
          const bool onInput = source == Source::kStandardInput;
          SCOPED_TRACE(file + " " + std::to_string(static_cast<int>(source)) + " " + what +
                       (trusted ? " trusted" : ""));
          const std::string line = (passPhrase ? phrase : key) + "\n";
          int feed = -1;  // a FIFO holds its line before the tool opens it
          if (source == Source::kFifo) {
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
            feed = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(feed, 0);
            ASSERT_EQ(::write(feed, line.data(), line.size()), static_cast<ssize_t>(line.size()));
          } else {
            WriteFile(file, line);
          }
          ASSERT_EQ(::chown(file.c_str(), place.owner, place.owner), 0);
          ASSERT_EQ(::chmod(file.c_str(), static_cast<mode_t>(place.mode)), 0);
          std::vector<std::string> args = {"encrypt-file", Path("plain"), Path("cipher"),
                                           passPhrase ? "--passphrase-file" : "--key-file",
                                           onInput ? "-" : file};
          if (trusted) args.push_back("--trust-key-file");
          RunControl control;
          if (onInput) control.inputFile = file;
          const ProcessResult r = RunProcess(CliRun(args), control);
          if (feed >= 0) ::close(feed);
          fs::remove(file);

          const bool fileRefused = place.refused == place.folder + "/k";
          const bool refused = !place.refused.empty() && (fileRefused || !onInput);
          const std::string named = onInput ? "standard input" : '"' + Path(place.refused) + '"';
          const std::string expectedKey = passPhrase ? phrase + std::string(3, '\0') : keyBytes;
          if (!refused || trusted) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(expectedKey, kData));
            if (!refused) {
              EXPECT_EQ(r.err, "");
            } else {
              EXPECT_EQ(r.err.rfind("hostseal: warning: ", 0), 0u) << r.err;
              EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
              EXPECT_NE(r.err.find("used as --trust-key-file asks"), std::string::npos) << r.err;
            }
          } else {
            ExpectResult(
                r, 3, "",
                "hostseal: Permission denied: " + named + " (a " + what + place.reason + ")\n");
            EXPECT_FALSE(fs::exists(Path("cipher")));
          }
          fs::remove(Path("cipher"));
        }
      }
    }
  }
}

// A pipe without a name belongs to whoever made it: under `echo KEY | sudo hostseal ...` that is
// the user whose shell started the tool, and nobody else can wire one to it.
TEST_F(CliKeyTrust, AnUnnamedPipeOnStandardInputIsTheCallersWhoeverMadeIt) {
  int ends[2];
  ASSERT_EQ(::seteuid(kNobody), 0);
  const int made = ::pipe2(ends, O_CLOEXEC);
  ASSERT_EQ(::seteuid(0), 0);
  ASSERT_EQ(made, 0);
  struct stat status {};
  ASSERT_EQ(::fstat(ends[0], &status), 0);
  ASSERT_EQ(status.st_uid, kNobody);
  const std::string key = "000102030405060708090a0b0c0d0e0f", line = key + "\n";
  ASSERT_EQ(::write(ends[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
  ::close(ends[1]);
  RunControl control;
  control.inputFile = "/proc/self/fd/" + std::to_string(ends[0]);
  const ProcessResult r = RunProcess(
      CliRun({"encrypt-file", Path("plain"), Path("cipher"), "--key-file", "-"}), control);
  ::close(ends[0]);
  ExpectResult(r, 0, "", "");
  EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(Unhex(key), kData));
}

}  // namespace
}  // namespace hostseal::testing
