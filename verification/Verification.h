#pragma once

// Whether an MDF-e file is the one its issuer signed and the tax authority authorised: its
// signature, protocol, access key, certificate and schema, checked on the file exactly as read.
// Nothing is fetched from the network.

#include <filesystem>
#include <string>
#include <vector>

namespace verification {

enum class Status { Confirmed, NotConfirmed, Unsigned };

// What the sheet must say about a file that does not verify, the gravest first.
enum class Notice { None, Signature, Protocol };

enum class Chain { NotChecked, Valid, Invalid };

struct Certificate {
  bool read = false;
  std::string holderKind;  // "CNPJ" or "CPF"; empty when the certificate names none
  std::string holderId;
  std::string validFrom;  // ISO 8601, UTC
  std::string validUntil;
  Chain chain = Chain::NotChecked;
  std::string chainProblem;
};

struct SchemaViolation {
  int line = 0;
  int column = 0;
  std::string message;
};

struct Schema {
  bool checked = false;
  std::string notCheckedWhy;  // when not checked
  std::vector<SchemaViolation> violations;
};

struct Verdict {
  Status status = Status::Unsigned;
  Notice notice = Notice::None;
  std::string accessKey;
  std::vector<std::string> reasons;  // Portuguese, one per fault found
  Certificate certificate;
  Schema schema;
};

struct Settings {
  std::filesystem::path schemaDirectory;  // the official schemas of layout 3.00
  std::filesystem::path chainFolder;      // roots and intermediates; empty: the chain is not checked
  bool checkSchema = true;
};

// Never throws: a file that cannot be read or parsed does not verify, with the reason.
Verdict VerifyManifest(const std::string& bytes, const Settings& settings);
Verdict VerifyManifestFile(const std::filesystem::path& file, const Settings& settings);

// An event's own signature (the one over infEvento): Unsigned, Confirmed, or NotConfirmed with reasons.
Verdict VerifyEvent(const std::string& bytes);

// "confere", "nao_confere", "sem_assinatura".
std::string StatusWord(Status status);

// The lines a person reads: "confere", "não confere: A; B", "sem assinatura", then the details.
std::string Summary(const Verdict& verdict);
std::vector<std::string> DetailLines(const Verdict& verdict);

}  // namespace verification
