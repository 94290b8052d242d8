#pragma once

// What the programs say about a manifest's verification: the sheet's notice, the warning, the
// JSON object, and where the schemas are.

#include <QJsonObject>

#include <filesystem>
#include <string>

#include "Verification.h"

// The schemas shipped with the program, and the roots the user gave (empty: chain not checked).
verification::Settings VerificationSettings(const std::filesystem::path& chainFolder = {}, bool checkSchema = true);

// The protocol box's notice; empty when the sheet needs none.
std::string SheetNotice(const verification::Verdict& verdict);

// The standard-error line for a signed file that does not verify; empty otherwise.
std::string PrintWarning(const std::string& file, const verification::Verdict& verdict);

// {"status", "chave", "motivos", "certificado", "esquema"}.
QJsonObject VerificationJson(const verification::Verdict& verdict);

inline const std::string kSignatureNotice =
    "ASSINATURA DIGITAL NÃO CONFERE: O ARQUIVO FOI ALTERADO DEPOIS DE ASSINADO";
inline const std::string kProtocolNotice = "PROTOCOLO DE AUTORIZAÇÃO NÃO CONFERE COM ESTE MDF-e";
