// The export table of the shared library as an application sees it: every name of the module
// definition resolves, twin names share one address, the library exports nothing else, and the
// public header declares exactly these names.
#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

std::istringstream Lines(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) text += char(c);
    if (pipe != nullptr) pclose(pipe);
    return std::istringstream(text);
}

TEST(ExportTable, DefinitionAndLibraryAgree) {
    // Lines after EXPORTS: "Name" or "Alias = Target"; ";" starts a comment.
    std::set<std::string> names, symbols;
    std::map<std::string, std::string> twins;
    std::ifstream definition(QIRVALE_DEF_FILE);
    bool inExports = false;
    for (std::string line; std::getline(definition, line);) {
        std::istringstream fields(line.substr(0, line.find(';')));
        std::string name, equals, target;
        if (!(fields >> name)) continue;
        if (inExports) names.insert(name);
        inExports = inExports || name == "EXPORTS";
        if (fields >> equals >> target && equals == "=") twins[name] = target;
    }
    ASSERT_GT(names.size(), 100u);

    void* library = dlopen(QIRVALE_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const std::string& name : names) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
    for (const auto& [twin, target] : twins) {
        EXPECT_EQ(dlsym(library, twin.c_str()), dlsym(library, target.c_str())) << twin;
    }
    dlclose(library);

    // Defined dynamic symbols, as `nm -D` lists them: address, type, name@version.
    auto listing = Lines(std::string("nm -D --defined-only '") + QIRVALE_SHARED_LIBRARY + "'");
    for (std::string address, type, name; listing >> address >> type >> name;)
        symbols.insert(name.substr(0, name.find('@')));
    EXPECT_EQ(symbols, names);

    std::ifstream header(QIRVALE_PUBLIC_HEADER);
    const std::string text{std::istreambuf_iterator<char>(header), {}};
    // Declarations read "QIRVALE_CALL Name(", with any white space between the parts.
    std::set<std::string> declared;
    for (size_t at = 0; (at = text.find("QIRVALE_CALL", at)) != std::string::npos;) {
        std::istringstream rest(text.substr(at += 12, 200));
        std::string name;
        std::getline(rest >> std::ws, name, '(');
        if (name.rfind("QIRVALE", 0) == 0 && name.find_first_of(" \t\n") == std::string::npos)
            declared.insert(name);
    }
    EXPECT_EQ(declared, names);
}

}  // namespace
