// The export table of the shared library, checked as an application sees it: every name of
// the module definition resolves, names that are one function share one address, every
// export is declared in the public header, and the library exports nothing else.
#include <dlfcn.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct ExportList {
    std::set<std::string> names;                 // every exported name
    std::map<std::string, std::string> aliases;  // alias -> target
};

// Lines under EXPORTS: "Name" or "Alias = Target"; ";" starts a comment.
ExportList ReadDefinitionFile() {
    std::ifstream in(QIRVALE_DEF_FILE);
    EXPECT_TRUE(in.good()) << QIRVALE_DEF_FILE;
    ExportList list;
    bool inExports = false;
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find(';'));
        if (line.find("EXPORTS") != std::string::npos) {
            inExports = true;
            continue;
        }
        std::istringstream fields(line);
        std::string name, equals, target;
        if (!inExports || !(fields >> name)) continue;
        list.names.insert(name);
        if (fields >> equals >> target && equals == "=") list.aliases[name] = target;
    }
    return list;
}

bool IsIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Names declared as "QIRVALE_CALL QIRVALE...(" in the public header.
std::set<std::string> ReadHeaderDeclarations() {
    std::ifstream in(QIRVALE_PUBLIC_HEADER);
    std::stringstream text;
    text << in.rdbuf();
    const std::string header = text.str();
    const std::string marker = "QIRVALE_CALL";
    std::set<std::string> names;
    for (std::size_t at = header.find(marker); at != std::string::npos;
         at = header.find(marker, at + 1)) {
        std::size_t begin = at + marker.size();
        while (begin < header.size() && std::isspace(static_cast<unsigned char>(header[begin]))) {
            ++begin;
        }
        std::size_t end = begin;
        while (end < header.size() && IsIdentifierChar(header[end])) ++end;
        const std::string name = header.substr(begin, end - begin);
        if (name.rfind("QIRVALE", 0) == 0 && end < header.size() && header[end] == '(') {
            names.insert(name);
        }
    }
    return names;
}

// Defined dynamic symbols of the shared library, as `nm -D` lists them.
std::set<std::string> ReadDynamicSymbols() {
    std::set<std::string> symbols;
    const std::string command =
        std::string("nm -D --defined-only '") + QIRVALE_SHARED_LIBRARY + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return symbols;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::istringstream fields(buffer);
        std::string address, type, name;
        if (fields >> address >> type >> name) symbols.insert(name.substr(0, name.find('@')));
    }
    pclose(pipe);
    return symbols;
}

class ExportTable : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(QIRVALE_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) dlclose(handle_);
    }
    void* handle_ = nullptr;
};

TEST_F(ExportTable, EveryListedNameResolves) {
    const ExportList list = ReadDefinitionFile();
    ASSERT_FALSE(list.names.empty());
    for (const std::string& name : list.names) {
        EXPECT_NE(dlsym(handle_, name.c_str()), nullptr) << name;
    }
}

TEST_F(ExportTable, TwinNamesShareOneBody) {
    const ExportList list = ReadDefinitionFile();
    for (const auto& [alias, target] : list.aliases) {
        void* aliasAddress = dlsym(handle_, alias.c_str());
        EXPECT_NE(aliasAddress, nullptr) << alias;
        EXPECT_EQ(aliasAddress, dlsym(handle_, target.c_str())) << alias << " = " << target;
    }
}

TEST(ExportList, MatchesThePublicHeader) {
    const ExportList list = ReadDefinitionFile();
    const std::set<std::string> declared = ReadHeaderDeclarations();
    EXPECT_GT(declared.size(), 100u);
    for (const std::string& name : list.names) EXPECT_TRUE(declared.count(name)) << name;
    for (const std::string& name : declared) {
        EXPECT_TRUE(list.names.count(name)) << name << " is declared but not exported";
    }
}

TEST(ExportList, NothingElseIsExported) {
    const ExportList list = ReadDefinitionFile();
    const std::set<std::string> symbols = ReadDynamicSymbols();
    ASSERT_FALSE(symbols.empty()) << "nm found no dynamic symbols";
    for (const std::string& symbol : symbols) {
        EXPECT_TRUE(list.names.count(symbol)) << "unexpected export " << symbol;
    }
}

}  // namespace
