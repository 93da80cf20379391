#include "cli/ReportPlan.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "scan/FileError.h"

namespace obitrak {

namespace {

namespace fs = std::filesystem;

// A file as the system knows it, after links are resolved.
using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> fileIdOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{st.st_dev, st.st_ino};
}

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

class Planner {
 public:
  explicit Planner(const ReportOptions& o) : m_o(o) {}

  ReportPlan plan() {
    std::error_code ec;
    bool anyFolder = false;
    for (const std::string& input : m_o.inputs)
      anyFolder = anyFolder || fs::is_directory(input, ec);
    const bool batch = m_o.inputs.size() > 1 || anyFolder;
    m_plan.toStandardOutput = !m_o.output && !batch;
    if (m_o.output) {
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
    for (const std::string& input : m_o.inputs) {
      if (fs::is_directory(input, ec)) {
        addFolder(input, m_o.inputs.size() > 1 ? folderName(input) : fs::path());
      } else {
        addFile(input);
      }
    }
    checkOutputs();
    return std::move(m_plan);
  }

 private:
  std::string reportName(const std::string& demo) const {
    return reportNameFor(demo, m_o.format->extension);
  }

  void addFile(const std::string& input) {
    ReportJob job{input, {}, false, {}};
    if (!m_plan.toStandardOutput) {
      job.output = m_intoFolder
                       ? (fs::path(*m_o.output) / fs::path(reportName(input)).filename()).string()
                   : m_o.output ? *m_o.output
                                : reportName(input);
      job.direct = !m_intoFolder && m_o.output && isDeviceOrPipe(*m_o.output);
    }
    struct stat st {};
    if (::stat(input.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      job.problem = std::string(kNotARegularFile);
    }
    addJob(std::move(job));
  }

  static bool isDeviceOrPipe(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode));
  }

  void addFolder(const std::string& folder, const fs::path& keptName) {
    std::vector<fs::path> demos = searchFolder(folder);
    std::sort(demos.begin(), demos.end());
    for (const fs::path& demo : demos) {
      ReportJob job{demo.string(), {}, false, {}};
      if (m_intoFolder) {
        fs::path below = demo.lexically_relative(folder).parent_path();
        job.output =
            (fs::path(*m_o.output) / keptName / below / fs::path(reportName(job.demo)).filename())
                .string();
      } else {
        job.output = reportName(job.demo);
      }
      addJob(std::move(job));
    }
  }

  // The demos below `folder`. A folder that cannot be read is named and counted as a
  // failure; the rest of the tree is searched all the same.
  std::vector<fs::path> searchFolder(const std::string& folder) {
    std::vector<fs::path> demos;
    std::vector<fs::path> pending{fs::path(folder)};
    bool anyProblem = false;
    while (!pending.empty()) {
      fs::path current = std::move(pending.back());
      pending.pop_back();
      std::vector<fs::path> subfolders;
      std::error_code ec;
      fs::directory_iterator it(current, ec);
      for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& p = it->path();
        std::error_code typeEc;
        const fs::file_status own = it->symlink_status(typeEc);
        if (fs::is_directory(own)) {
          subfolders.push_back(p);
        } else if (hasDemoExtension(p.filename().string())) {
          addFoundDemo(p, own, demos);
        }
      }
      if (ec) {
        m_plan.messages += current.string() + ": " + errorText(ec, current.string()) + "\n";
        m_plan.failed = true;
        anyProblem = true;
      }
      std::sort(subfolders.rbegin(), subfolders.rend());
      for (fs::path& sub : subfolders) pending.push_back(std::move(sub));
    }
    if (demos.empty() && !anyProblem) m_plan.messages += folder + ": no demos found\n";
    return demos;
  }

  // A link is taken as it is when it leads nowhere: its demo is reported missing.
  void addFoundDemo(const fs::path& p, const fs::file_status& own, std::vector<fs::path>& demos) {
    fs::file_status target = own;
    if (fs::is_symlink(own)) {
      std::error_code ec;
      target = fs::status(p, ec);
      if (!fs::exists(target)) {
        demos.push_back(p);
        return;
      }
    }
    if (fs::is_directory(target)) return;
    if (!fs::is_regular_file(target)) {
      m_plan.messages += p.string() + ": " + std::string(kNotARegularFile) + "\n";
      return;
    }
    demos.push_back(p);
  }

  // The same demo named twice is one job.
  void addJob(ReportJob job) {
    std::optional<FileId> id = fileIdOf(job.demo);
    if (id) {
      if (!m_demoIds.insert(*id).second) return;
    } else {
      std::error_code ec;
      std::string key = fs::absolute(job.demo, ec).lexically_normal().string();
      if (!m_missingDemos.insert(key).second) return;
    }
    m_jobIds.push_back(id);
    m_plan.jobs.push_back(std::move(job));
  }

  // No report goes onto a .dm2 file, a demo of the run or another demo's report. Reports
  // are compared by their folder, links resolved, and their name.
  void checkOutputs() {
    for (std::size_t i = 0; i < m_plan.jobs.size(); ++i) {
      ReportJob& job = m_plan.jobs[i];
      if (job.output.empty() || !job.problem.empty()) continue;
      std::optional<FileId> target = fileIdOf(job.output);
      if (hasDemoExtension(fs::path(job.output).filename().string()) ||
          (target && m_demoIds.contains(*target))) {
        job.problem = "the report " + job.output + " would overwrite " +
                      (target && target == m_jobIds[i] ? "the demo" : "a demo");
        continue;
      }
      if (job.direct) continue;
      std::error_code ec;
      fs::path output(job.output);
      fs::path folder = fs::weakly_canonical(
          output.parent_path().empty() ? fs::path(".") : output.parent_path(), ec);
      std::string key = (folder / output.filename()).string();
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
  std::vector<std::optional<FileId>> m_jobIds;
  std::map<std::string, std::string> m_outputs;  // report -> demo
};

}  // namespace

namespace {

// The length of the demo extension that ends `name` (".dm2", ".dm2.gz", ".mvd2" or
// ".mvd2.gz", any case), or 0.
std::size_t demoSuffixLength(std::string_view name) {
  auto endsWith = [&](std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
      char c = tail[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != suffix[i]) return false;
    }
    return true;
  };
  for (std::string_view suffix : {".dm2", ".dm2.gz", ".mvd2", ".mvd2.gz"}) {
    if (endsWith(suffix)) return suffix.size();
  }
  return 0;
}

}  // namespace

bool hasDemoExtension(std::string_view name) {
  return demoSuffixLength(name) > 0;
}

std::string reportNameFor(const std::string& demo, std::string_view extension) {
  std::string_view base(demo);
  base.remove_suffix(demoSuffixLength(fs::path(demo).filename().string()));
  return std::string(base) + "." + std::string(extension);
}

ReportPlan planReports(const ReportOptions& options) {
  return Planner(options).plan();
}

}  // namespace obitrak
