#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "ModalBlock.h"
#include "TestFiles.h"
#include "mdfeModalRodoviario_v300.h"

namespace {

const std::string kNs = "http://www.portalfiscal.inf.br/mdfe";

TEST(RoadBlockCut, CutsFromRodoToInfModalEndAsCrLfLines) {
  struct Case {
    const char* name;
    std::string manifest;
    std::string block;
  };
  const Case cases[] = {
      {"LF lines, inherited namespace",
       "<MDFe xmlns=\"" + kNs + "\">\n<infModal>\n<rodo>\n<placa>A</placa>\n</rodo>\n</infModal></MDFe>\n",
       "<rodo xmlns=\"" + kNs + "\">\r\n<placa>A</placa>\r\n</rodo>\r\n"},
      {"declared namespace is kept byte for byte",
       "<infModal><rodo xmlns=\"" + kNs + "\" a='1'><x/></rodo>  </infModal>",
       "<rodo xmlns=\"" + kNs + "\" a='1'><x/></rodo>  \r\n"},
      {"a prefixed declaration is no default namespace", "<infModal><rodo xmlns:p=\"urn:p\"></rodo></infModal>",
       "<rodo xmlns=\"" + kNs + "\" xmlns:p=\"urn:p\"></rodo>\r\n"},
      {"CR and CR LF lines", "<infModal><rodo>\r<a/>\r\n</rodo>\r</infModal>",
       "<rodo xmlns=\"" + kNs + "\">\r\n<a/>\r\n</rodo>\r\n"},
      {"no <rodo: from the start through the '<' of the end marker", "<MDFe>\n<x/></infModal>", "<MDFe>\r\n<x/><\r\n"},
      {"</infModal before <rodo: empty", "</infModal><rodo></rodo>", ""},
      {"no </infModal: empty", "<rodo></rodo>", ""},
      {"text ends at the first zero byte", std::string("<infModal><rodo/>\0</infModal>", 29), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CutRoadBlock(c.manifest), c.block);
  }
}

TEST(RoadBlockCut, DeclaresANonUtf8EncodingAndKeepsTheBytes) {
  std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<MDFe xmlns=\"" + kNs +
                       "\"><infModal><rodo><veicTracao><condutor><xNome>JO\xC3O</xNome></condutor></veicTracao>"
                       "</rodo></infModal></MDFe>";
  std::string block = CutRoadBlock(latin1);
  EXPECT_EQ(block.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<rodo xmlns=", 0), 0u) << block;
  EXPECT_NE(block.find("JO\xC3O"), std::string::npos);

  TempDir dir;
  IXMLRodo rodo = LoadRodoDocument(FromUtf8(dir.Write("Rodo.xml", block).string()));
  EXPECT_EQ(rodo->veicTracao()->condutor()->xNome(), u"JOÃO");

  std::string utf8 = "<?xml version='1.0' encoding='utf-8'?><infModal><rodo/></infModal>";
  EXPECT_EQ(CutRoadBlock(utf8).rfind("<rodo", 0), 0u);
}

TEST(RoadBlockCut, InheritedNamespaceNowBinds) {
  TempDir dir;
  std::string manifest = "<MDFe xmlns=\"" + kNs +
                         "\"><infModal><rodo><veicTracao><placa>XYZ9E87</placa>"
                         "</veicTracao></rodo></infModal></MDFe>";
  IXMLRodo rodo = LoadRodoDocument(FromUtf8(dir.Write("Rodo.xml", CutRoadBlock(manifest)).string()));
  EXPECT_EQ(rodo->veicTracao()->placa(), u"XYZ9E87");
}

// In a child process whose address space may grow by 64 MiB only: the cut of 6 MiB of line breaks
// once kept a string per line and needed about 400 MiB.
TEST(ModalBlockCut, MemoryStaysProportionalToTheFileWhateverItsLines) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves the address space that the limit bounds";
#endif
  const std::string manifest =
      "<MDFe xmlns=\"" + kNs + "\"><infModal><rodo>" + std::string(6 << 20, '\n') + "</rodo></infModal></MDFe>";
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t bound = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (64 << 20);
    const rlimit limit{bound, bound};
    setrlimit(RLIMIT_AS, &limit);
    try {
      _exit(CutRoadBlock(manifest).size() > 2 * (6u << 20) ? 0 : 2);
    } catch (...) {
      _exit(1);
    }
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(WithCrLfLines, FollowsTheLineRules) {
  EXPECT_EQ(WithCrLfLines("a\r\nb\rc\nd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(WithCrLfLines("a\n\nb\n"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(WithCrLfLines(""), "");
}

class ScopedTmpDir {
 public:
  explicit ScopedTmpDir(const std::string& value) {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    setenv("TMPDIR", value.c_str(), 1);
  }
  ~ScopedTmpDir() {
    if (old_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", old_.c_str(), 1);
  }

 private:
  std::string old_;
};

TEST(RoadBlockFile, PrivateDirectoryIsRemovedWithItsFile) {
  TempDir base;
  ScopedTmpDir tmp(base.path().string());
  std::filesystem::path directory;
  {
    TRoadBlockFile file;
    file.Write("<rodo/>\r\n");
    directory = file.Path().parent_path();
    EXPECT_EQ(file.Path().filename(), "Rodo.xml");
    EXPECT_EQ(directory.parent_path(), base.path());
    struct stat info {};
    ASSERT_EQ(stat(directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(file.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFileBytes(file.Path()), "<rodo/>\r\n");
    EXPECT_THROW(file.Write("again"), std::runtime_error) << "never opens a file already there";
  }
  EXPECT_FALSE(std::filesystem::exists(directory));
}

TEST(RoadBlockFile, UnusableTemporaryDirectoryGivesTheSystemsMessage) {
  TempDir base;
  auto notADirectory = base.Write("file", "x");
  ScopedTmpDir tmp(notADirectory.string());
  EXPECT_THAT([] { TRoadBlockFile file; },
              testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr("parte do caminho não é uma pasta")));
}

}  // namespace
