// Signing Windows programs and installers with a PKCS#12 certificate and
// key: the file is checked before anything is made, osslsigncode signs and
// then verifies each file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "pack_options.h"

struct SigningKey {
  std::string pkcs12;           ///< the file
  std::string password;         ///< from the environment, never on a command line
  std::string certificatesPem;  ///< the file's certificates, trusted when verifying
  std::string timestampUrl;     ///< empty: no timestamp
  std::string description;      ///< shown by Windows as the signed program's name
  std::string tool;             ///< osslsigncode's path
};

/// Reads --sign-pkcs12 with the password from --sign-password-env's
/// variable: false with the reason (unreadable, not PKCS#12, wrong
/// password, no key or certificate in it).
bool loadSigningKey(const PackOptions& options, SigningKey* key, std::string* error);

/// Signs each of `files` in place and verifies the signature, with a
/// progress line naming `what`. The password is handed to osslsigncode in a
/// file of a private folder made inside `workFolder`, removed again before
/// returning.
bool signFiles(const SigningKey& key, const std::vector<std::string>& files,
               const std::string& what, const std::string& workFolder, std::ostream& progress,
               std::string* error);

/// The .exe files under `folder`, sorted.
std::vector<std::string> programsIn(const std::string& folder);
