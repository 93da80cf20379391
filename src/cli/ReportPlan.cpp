#include "cli/ReportPlan.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "export/ExportNames.h"
#include "scan/DemoSearch.h"
#include "scan/FileError.h"

namespace obitrak {

namespace {

namespace fs = std::filesystem;

std::string errorText(const std::error_code& ec, const std::string& path) {
  return fileErrorFromErrno(ec.value(), path).what();
}

// The name a folder argument keeps under --output when there are several inputs.
fs::path folderName(const std::string& folder) {
  fs::path normal = fs::path(folder).lexically_normal();
  if (!normal.has_filename()) normal = normal.parent_path();
  if (normal.filename() == "." || normal.filename() == ".." || normal.empty()) {
    std::error_code ec;
    normal = fs::weakly_canonical(folder, ec);
  }
  return normal.filename();
}

// The names under which standard output reaches this process.
bool namesStandardOutput(const std::string& path) {
  return path == "/dev/stdout" || path == "/dev/fd/1" || path == "/proc/self/fd/1";
}

std::string parentOf(const std::string& below) {
  std::size_t slash = below.rfind('/');
  return slash == std::string::npos ? std::string() : below.substr(0, slash);
}

class Planner {
 public:
  explicit Planner(const ReportOptions& o) : m_o(o) {}

  ReportPlan plan() {
    std::error_code ec;
    bool anyFolder = false;
    for (const std::string& input : m_o.inputs)
      anyFolder = anyFolder || fs::is_directory(input, ec);
    const bool batch = m_o.inputs.size() > 1 || anyFolder;
    m_plan.toStandardOutput = !batch && (!m_o.output || namesStandardOutput(*m_o.output));
    if (m_o.output && !m_plan.toStandardOutput) {
      m_intoFolder = batch || fs::is_directory(*m_o.output, ec);
      if (batch && !fs::is_directory(*m_o.output, ec)) {
        fs::create_directories(*m_o.output, ec);
        if (ec) {
          m_plan.messages += *m_o.output + ": " + errorText(ec, *m_o.output) + "\n";
          m_plan.failed = true;
          return std::move(m_plan);
        }
      }
    }
    DemoSearch search = findDemos(m_o.inputs);
    m_plan.messages += search.messages;
    m_plan.failed = m_plan.failed || search.failed;
    for (FoundDemo& demo : search.demos) {
      if (demo.inFolder) {
        const std::string& input = m_o.inputs[demo.input];
        addFound(std::move(demo), m_o.inputs.size() > 1 ? folderName(input) : fs::path());
      } else {
        addFile(std::move(demo));
      }
    }
    checkOutputs();
    return std::move(m_plan);
  }

 private:
  std::string reportFileName(const std::string& demo) const {
    return fs::path(defaultExportName(demo, m_o.format->extension)).filename().string();
  }

  void addFile(FoundDemo demo) {
    const std::string& input = demo.path;
    ReportJob job{input, {}, {}, std::move(demo.file), {}};
    if (!m_plan.toStandardOutput) {
      const std::string name = reportFileName(input);
      if (m_intoFolder) {
        job.output = (fs::path(*m_o.output) / name).string();
        job.place = {*m_o.output, {}, name, false};
      } else if (m_o.output) {
        job.output = *m_o.output;
      } else {
        job.output = defaultExportName(input, m_o.format->extension);
        job.place = {job.found.folder, {}, name, false};
      }
    }
    struct stat st {};
    if (::stat(input.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      job.problem = std::string(kNotARegularFile);
    }
    addJob(std::move(job));
  }

  // A demo found in a folder argument: its report goes beside it, or under --output below
  // the folder's kept name and the same subfolders.
  void addFound(FoundDemo demo, const fs::path& keptName) {
    const std::string name = reportFileName(demo.path);
    ReportJob job{demo.path, {}, {}, std::move(demo.file), {}};
    if (m_intoFolder) {
      const std::string below = (keptName / demo.below).string();
      job.output = (fs::path(*m_o.output) / below / name).string();
      job.place = {*m_o.output, below, name, true};
    } else {
      job.output = (fs::path(job.demo).parent_path() / name).string();
      job.place = {job.found.folder, parentOf(job.found.below), name, false};
    }
    addJob(std::move(job));
  }

  // The same demo named twice is one job.
  void addJob(ReportJob job) {
    const std::optional<FileId>& id = job.found.seen;
    if (id) {
      if (!m_demoIds.insert(*id).second) return;
    } else {
      std::error_code ec;
      std::string key = fs::absolute(job.demo, ec).lexically_normal().string();
      if (!m_missingDemos.insert(key).second) return;
    }
    m_plan.jobs.push_back(std::move(job));
  }

  // The report's target, when it exists, and a key that two names of one target share:
  // its folder, links resolved, and its name.
  static std::pair<std::optional<FileId>, std::string> targetOf(const ReportJob& job) {
    std::error_code ec;
    const fs::path output(job.output);
    if (job.place.name.empty()) {
      return {fileIdOf(job.output), output.string()};
    }
    FileHandle folder;
    struct stat st {};
    try {
      folder = openFolderBelow(job.place.folder, job.place.below, false, job.output);
    } catch (const FileError&) {
    }
    if (!folder || ::fstat(folder.get(), &st) != 0) {
      return {std::nullopt, fs::absolute(output, ec).lexically_normal().string()};
    }
    const std::string key = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/";
    if (::fstatat(folder.get(), job.place.name.c_str(), &st, 0) != 0) {
      return {std::nullopt, key + job.place.name};
    }
    return {FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
            key + job.place.name};
  }

  // No report goes onto a .dm2 file, a demo of the run or another demo's report.
  void checkOutputs() {
    for (ReportJob& job : m_plan.jobs) {
      if (job.output.empty() || !job.problem.empty()) continue;
      const auto [target, key] = targetOf(job);
      if (hasDemoExtension(fs::path(job.output).filename().string()) ||
          (target && m_demoIds.contains(*target))) {
        job.problem = "the report " + job.output + " would overwrite " +
                      (target && target == job.found.seen ? "the demo" : "a demo");
        continue;
      }
      if (job.place.name.empty()) continue;  // the one report of the run
      if (auto [it, inserted] = m_outputs.emplace(key, job.demo); !inserted) {
        job.problem = "the report " + job.output + " is already written for " + it->second;
      }
    }
  }

  const ReportOptions& m_o;
  ReportPlan m_plan;
  bool m_intoFolder = false;
  std::set<FileId> m_demoIds;
  std::set<std::string> m_missingDemos;
  std::map<std::string, std::string> m_outputs;  // report -> demo
};

}  // namespace

ReportPlan planReports(const ReportOptions& options) {
  return Planner(options).plan();
}

}  // namespace obitrak
