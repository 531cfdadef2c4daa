// Signing with osslsigncode; the PKCS#12 file read with OpenSSL's libcrypto.
#include "code_signing.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/x509.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "executable_name.h"
#include "file_util.h"
#include "installer_tools.h"
#include "platform.h"

namespace fs = std::filesystem;

namespace {

const char systemCertificates[] = "/etc/ssl/certs/ca-certificates.crt";

template <typename T, void (*Free)(T*)>
struct Freer {
  void operator()(T* object) const { Free(object); }
};
using Pkcs12 = std::unique_ptr<PKCS12, Freer<PKCS12, PKCS12_free>>;
using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Freer<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;

void freeCertificates(STACK_OF(X509)* stack) { sk_X509_pop_free(stack, X509_free); }

std::string pemOf(X509* certificate) {
  Bio out(BIO_new(BIO_s_mem()));
  PEM_write_bio_X509(out.get(), certificate);
  char* data = nullptr;
  long size = BIO_get_mem_data(out.get(), &data);
  return std::string(data, static_cast<size_t>(size));
}

/// Opens the file's certificates and key with the password.
bool openPkcs12(const std::string& data, const std::string& password, SigningKey* key,
                std::string* error) {
  // Older files use algorithms that OpenSSL 3 keeps in its legacy provider.
  OSSL_PROVIDER_try_load(nullptr, "legacy", 1);
  Bio in(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
  Pkcs12 file(d2i_PKCS12_bio(in.get(), nullptr));
  if (!file) {
    *error = "not a PKCS#12 file";
    return false;
  }
  if (PKCS12_mac_present(file.get()) &&
      !PKCS12_verify_mac(file.get(), password.c_str(), static_cast<int>(password.size()))) {
    *error = "wrong password";
    return false;
  }
  EVP_PKEY* rawKey = nullptr;
  X509* rawCertificate = nullptr;
  STACK_OF(X509)* chain = nullptr;
  bool parsed = PKCS12_parse(file.get(), password.c_str(), &rawKey, &rawCertificate, &chain);
  Key privateKey(rawKey);
  Certificate certificate(rawCertificate);
  std::unique_ptr<STACK_OF(X509), void (*)(STACK_OF(X509)*)> others(chain, freeCertificates);
  if (!parsed || !privateKey || !certificate) {
    *error = parsed ? "it holds no private key with its certificate" : "cannot be decrypted";
    return false;
  }
  key->certificatesPem = pemOf(certificate.get());
  for (int i = 0; others && i < sk_X509_num(others.get()); ++i)
    key->certificatesPem += pemOf(sk_X509_value(others.get(), i));
  return true;
}

/// A file only this user can read, made anew.
bool writePrivateFile(const std::string& path, const std::string& data, std::string* error) {
  int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool ok = descriptor >= 0 &&
            write(descriptor, data.data(), data.size()) == static_cast<ssize_t>(data.size());
  if (descriptor >= 0) ok = close(descriptor) == 0 && ok;
  if (!ok) *error = "cannot write " + path;
  return ok;
}

/// The private folder holding the password while osslsigncode runs.
class PrivateFolder {
 public:
  explicit PrivateFolder(const std::string& parent) {
    std::string pattern = textOf(pathOf(parent) / ".signing-XXXXXX");
    if (mkdtemp(&pattern[0])) path_ = pattern;
  }
  ~PrivateFolder() {
    std::error_code code;
    if (!path_.empty()) fs::remove_all(pathOf(path_), code);
  }
  const std::string& path() const { return path_; }
  std::string at(const char* name) const { return textOf(pathOf(path_) / name); }

 private:
  std::string path_;
};

bool signOne(const SigningKey& key, const PrivateFolder& folder, const std::string& file,
             std::string* error) {
  std::string signedFile = file + ".signed", output;
  std::vector<std::string> sign = {key.tool, "sign", "-pkcs12", key.pkcs12, "-readpass",
                                   folder.at("password"), "-h", "sha256", "-n",
                                   key.description};
  if (!key.timestampUrl.empty()) sign.insert(sign.end(), {"-ts", key.timestampUrl});
  sign.insert(sign.end(), {"-in", file, "-out", signedFile});
  std::vector<std::string> verify = {key.tool, "verify", "-CAfile", folder.at("trusted.pem"),
                                     "-in", signedFile};
  bool ok = runToolIn("", sign, &output, error) && runToolIn("", verify, &output, error);
  std::error_code code;
  if (ok) {
    fs::permissions(pathOf(signedFile), fs::status(pathOf(file), code).permissions(), code);
    fs::rename(pathOf(signedFile), pathOf(file), code);
    if (code) *error = "cannot rename " + signedFile + ": " + code.message();
    return !code;
  }
  fs::remove(pathOf(signedFile), code);
  *error = "cannot sign " + file + ": " + *error;
  return false;
}

}  // namespace

bool loadSigningKey(const PackOptions& options, SigningKey* key, std::string* error) {
  key->pkcs12 = options.signPkcs12;
  key->timestampUrl = options.timestampUrl;
  key->description = options.description.empty() ? options.name : options.description;
  if (!environmentValue(options.signPasswordVariable, &key->password)) {
    *error = "the environment variable " + options.signPasswordVariable +
             " (--sign-password-env) is not set";
    return false;
  }
  std::string data;
  if (!readWholeFile(options.signPkcs12, &data, error) ||
      !openPkcs12(data, key->password, key, error)) {
    *error = "cannot use the certificate " + options.signPkcs12 + ": " + *error;
    return false;
  }
  std::string system;
  std::string ignored;
  if (readWholeFile(systemCertificates, &system, &ignored)) key->certificatesPem += system;
  return true;
}

bool signFiles(const SigningKey& key, const std::vector<std::string>& files,
               const std::string& what, const std::string& workFolder, std::ostream& progress,
               std::string* error) {
  if (files.empty()) return true;
  PrivateFolder folder(workFolder);
  if (folder.path().empty()) {
    *error = "cannot make a private folder in " + workFolder;
    return false;
  }
  if (!writePrivateFile(folder.at("password"), key.password, error) ||
      !writePrivateFile(folder.at("trusted.pem"), key.certificatesPem, error))
    return false;
  progress << "Signing " << what << " (osslsigncode) ..." << std::endl;
  for (const std::string& file : files)
    if (!signOne(key, folder, file, error)) return false;
  return true;
}

std::vector<std::string> programsIn(const std::string& folder) {
  std::vector<std::string> programs;
  std::error_code code;
  for (fs::recursive_directory_iterator it(pathOf(folder), code), end; !code && it != end;
       it.increment(code)) {
    const std::string name = textOf(it->path().filename());
    if (it->is_regular_file(code) && name.size() > 4 && endsWithExe(name))
      programs.push_back(textOf(it->path()));
  }
  std::sort(programs.begin(), programs.end());
  return programs;
}
