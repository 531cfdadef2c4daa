// The installer step: planning, signing and building the installers.
#include "installers.h"

#include <filesystem>

#include "file_util.h"
#include "installer_deb.h"
#include "installer_msi.h"
#include "installer_options.h"
#include "installer_rpm.h"
#include "installer_tools.h"

namespace fs = std::filesystem;

namespace {

std::string fileNameOf(const PackOptions& options, const std::string& kind) {
  std::string package = packageName(options.name);
  if (kind == "msi") return options.name + "-" + options.appVersion + ".msi";
  if (kind == "deb") return package + "_" + options.appVersion + "_amd64.deb";
  return package + "-" + options.appVersion + "-1.x86_64.rpm";
}

bool planOutputs(const PackOptions& options, InstallerPlan* plan, std::string* error) {
  for (const std::string& kind : options.installers) {
    std::string name = fileNameOf(options, kind);
    InstallerOutput output{kind, textOf(pathOf(options.output) / pathOf(name)),
                           textOf(pathOf(options.output) / pathOf("." + name + ".partial"))};
    std::error_code code;
    if (!options.force && fs::exists(fs::symlink_status(pathOf(output.path), code))) {
      *error = output.path + " already exists (pass --force to replace it)";
      return false;
    }
    plan->outputs.push_back(output);
  }
  return true;
}

bool findToolsFor(const PackOptions& options, InstallerPlan* plan, std::string* error) {
  std::vector<std::string> signing;
  if (wantsInstaller(options, "msi") && !findTools({"wixl", "msibuild"}, &plan->msiTools, error))
    return false;
  if (wantsInstaller(options, "deb") &&
      !findTools({"dpkg-deb", "dpkg-shlibdeps", "objdump"}, &plan->debTools, error))
    return false;
  if (wantsInstaller(options, "rpm") && !findTools({"rpmbuild"}, &plan->rpmTools, error))
    return false;
  if (plan->sign && !findTools({"osslsigncode"}, &signing, error)) return false;
  if (plan->sign) plan->key.tool = signing[0];
  return true;
}

const char* toolNames(const std::string& kind) {
  return kind == "msi" ? "wixl" : kind == "deb" ? "dpkg-deb" : "rpmbuild";
}

}  // namespace

bool planInstallers(const PackOptions& options, InstallerPlan* plan, std::string* error) {
  plan->sign = !options.signPkcs12.empty();
  return planOutputs(options, plan, error) && findToolsFor(options, plan, error) &&
         (!plan->sign || loadSigningKey(options, &plan->key, error));
}

bool signAppPrograms(const InstallerPlan& plan, const std::string& folder,
                     const std::string& workFolder, std::ostream& progress, std::string* error) {
  std::vector<std::string> programs = programsIn(folder);
  return !plan.sign || signFiles(plan.key, programs, std::to_string(programs.size()) +
                                 " programs", workFolder, progress, error);
}

bool buildInstallers(const InstallerPlan& plan, const PackOptions& options,
                     const std::string& folder, const std::vector<IconImage>& icon,
                     const std::string& workFolder, std::ostream& progress, bool (*stop)(),
                     std::string* error) {
  // The tools run in folders of their own: every path they see is absolute.
  std::error_code code;
  std::string source = textOf(fs::absolute(pathOf(folder), code));
  for (InstallerOutput output : plan.outputs) {
    if (stop && stop()) return false;
    std::string work = textOf(fs::absolute(pathOf(workFolder) / pathOf(output.kind), code));
    output.temporaryPath = textOf(fs::absolute(pathOf(output.temporaryPath), code));
    fs::create_directories(pathOf(work), code);
    fs::remove(pathOf(output.temporaryPath), code);
    progress << "Building " << output.path << " (" << toolNames(output.kind) << ") ..."
             << std::endl;
    bool built =
        output.kind == "msi"
            ? buildMsi(options, source, plan.msiTools, work, output.temporaryPath,
                       error) &&
                  (!plan.sign ||
                   signFiles(plan.key, {output.temporaryPath}, output.path, workFolder, progress,
                             error))
        : output.kind == "deb"
            ? buildDeb(options, source, icon, plan.debTools, work, output.temporaryPath, error)
            : buildRpm(options, source, icon, plan.rpmTools, work, output.temporaryPath, error);
    if (!built) {
      *error = "cannot make the " + output.kind + " installer: " + *error;
      return false;
    }
  }
  return true;
}
