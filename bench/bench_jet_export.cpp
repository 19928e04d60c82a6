// Exports every table of every Jet sample file to CSV text, once with our engine (in process)
// and once with mdb-export (one process per table, output to /dev/null), in the same run.
// A pass of `true` per table is timed as well: the process start-up part of mdb-export's figure.
//
// Usage: bench_jet_export [samples-folder] [passes]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/database.h"

namespace fs = std::filesystem;
using namespace dalvon;

namespace {

struct Export {
    fs::path file;
    std::string table;
};

std::vector<Export> listExports(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".mdb")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Export> exports;
    for (const auto& file : files) {
        auto files = makeHostFileSystem();
        auto engine = makeDatabaseEngine(*files);
        auto db = engine->open(files->windowsPath(file.string()));
        for (const auto& table : db->tableNames())
            exports.push_back({file, table});
    }
    return exports;
}

void appendCsv(std::string& out, const Variant& value) {
    static const char* const kHex = "0123456789ABCDEF";
    if (value.kind() == VariantKind::Binary) {
        for (uint8_t b : value.asBinary()) {
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    } else if (value.isString()) {
        out += '"';
        for (char c : value.asString())
            out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
    } else {
        out += value.toTextOrEmpty();
    }
}

// One pass of our engine over every table; returns the bytes of CSV produced.
size_t exportWithEngine(const std::vector<Export>& exports) {
    size_t bytes = 0;
    for (const auto& item : exports) {
        auto files = makeHostFileSystem();
        auto engine = makeDatabaseEngine(*files);
        auto db = engine->open(files->windowsPath(item.file.string()));
        auto rs = db->openTable(item.table);
        std::string csv;
        for (; !rs->eof(); rs->moveNext()) {
            for (int i = 0; i < rs->fieldCount(); ++i) {
                if (i)
                    csv += ',';
                appendCsv(csv, rs->value(i));
            }
            csv += '\n';
        }
        bytes += csv.size();
    }
    return bytes;
}

void runProcess(const std::vector<std::string>& argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

template <typename Pass>
double millisecondsPerPass(int passes, Pass&& pass) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < passes; ++i)
        pass();
    const std::chrono::duration<double, std::milli> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / passes;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? argv[1] : DALVON_JET_SAMPLES;
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    try {
        const auto exports = listExports(folder);
        size_t bytes = 0;
        const double ours = millisecondsPerPass(passes, [&] { bytes = exportWithEngine(exports); });
        const double theirs = millisecondsPerPass(passes, [&] {
            for (const auto& item : exports)
                runProcess({"mdb-export", item.file.string(), item.table});
        });
        const double spawn = millisecondsPerPass(passes, [&] {
            for (size_t i = 0; i < exports.size(); ++i)
                runProcess({"true"});
        });
        std::printf("%zu tables in %s, %d passes\n", exports.size(), folder.c_str(), passes);
        std::printf("dalvon Jet engine: %8.2f ms per pass (%zu CSV bytes)\n", ours, bytes);
        std::printf("mdb-export:        %8.2f ms per pass (of which process start-up %.2f ms)\n",
                    theirs, spawn);
    } catch (const Fault& fault) {
        std::fprintf(stderr, "%s\n", fault.description().c_str());
        return 1;
    }
    return 0;
}
