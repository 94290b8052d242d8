#pragma once

// Signs manifests and events as issuers do (enveloped XML-DSig, C14N 1.0, RSA-SHA1), with a
// throw-away certificate authority made by OpenSSL: a root and a leaf that names the sample
// issuer's CNPJ in the ICP-Brasil otherName. xmlsec1 signs, so our verification meets another
// implementation's signatures.

#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>

#include "TestFiles.h"
#include "ToolRunner.h"

class TestSigner {
 public:
  // Certificates valid through 2026-2036, so the sample's dhEmi lies within them.
  explicit TestSigner(const std::string& cnpj = "12345678000195") {
    std::filesystem::create_directories(dir_ / "raiz");
    std::filesystem::create_directories(dir_ / "outra-raiz");
    dir_.Write("index.txt", "");
    dir_.Write("serial", "01\n");
    dir_.Write("ca.cnf", "[ca]\ndefault_ca = test\n[test]\ndir = " + dir_.path().string() +
                             "\ndatabase = $dir/index.txt\nnew_certs_dir = $dir\nserial = $dir/serial\n"
                             "default_md = sha256\npolicy = any\nunique_subject = no\n[any]\ncommonName = supplied\n"
                             "[root]\nbasicConstraints = critical,CA:true\nkeyUsage = critical,keyCertSign,cRLSign\n"
                             "[leaf]\nbasicConstraints = CA:false\nkeyUsage = critical,digitalSignature,nonRepudiation\n"
                             "subjectAltName = otherName:2.16.76.1.3.3;OCTETSTRING:" + cnpj + "\n");
    Root("raiz");
    Root("outra-raiz");
    Request("leaf", "/CN=TRANSPORTADORA DE TESTE:" + cnpj);
    Issue("leaf", "raiz", "leaf");
  }

  std::filesystem::path RootFolder() const { return dir_ / "raiz"; }
  std::filesystem::path OtherRootFolder() const { return dir_ / "outra-raiz"; }
  std::filesystem::path RootCertificate() const { return dir_ / "raiz" / "raiz.pem"; }

  // The element with the Id (infMDFe, infEvento) signed by a Signature appended to its parent.
  std::string Sign(const std::string& xml, const std::string& element) const {
    std::smatch id;
    if (!std::regex_search(xml, id, std::regex("<" + element + "[^>]* Id=\"([^\"]+)\""))) {
      throw std::runtime_error("no Id on " + element);
    }
    const std::string parentEnd = element == "infMDFe" ? "</MDFe>" : "</eventoMDFe>";
    std::string unsigned_ = xml;
    unsigned_.insert(unsigned_.rfind(parentEnd), SignatureTemplate(id[1]));
    const auto in = dir_.Write("entrada.xml", unsigned_);
    const auto out = dir_ / "assinado.xml";
    Run("xmlsec1", {"--sign", "--privkey-pem", (dir_ / "leaf.key").string() + "," + (dir_ / "leaf.pem").string(),
                    "--id-attr:Id", "http://www.portalfiscal.inf.br/mdfe:" + element, "--output", out.string(),
                    in.string()});
    return ReadFileBytes(out);
  }

 private:
  static std::string SignatureTemplate(const std::string& id) {
    const std::string c14n = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
    return "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo><CanonicalizationMethod Algorithm=\"" +
           c14n + "\"/><SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/><Reference URI=\"#" +
           id + "\"><Transforms><Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/>"
           "<Transform Algorithm=\"" + c14n + "\"/></Transforms><DigestMethod Algorithm=\"http://www.w3.org/2000/09/"
           "xmldsig#sha1\"/><DigestValue/></Reference></SignedInfo><SignatureValue/><KeyInfo><X509Data/></KeyInfo>"
           "</Signature>";
  }
  void Run(const std::string& program, const std::vector<std::string>& arguments) const {
    const ToolResult result = RunTool(program, arguments);
    if (result.exitCode != 0) throw std::runtime_error(program + ": " + result.err);
  }
  void Request(const std::string& name, const std::string& subject) const {
    Run("openssl", {"req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", (dir_ / (name + ".key")).string(),
                    "-subj", subject, "-out", (dir_ / (name + ".csr")).string()});
  }
  void Issue(const std::string& name, const std::string& issuer, const std::string& extensions) const {
    std::vector<std::string> arguments = {"ca", "-batch", "-notext", "-config", (dir_ / "ca.cnf").string(),
                                          "-startdate", "20260101000000Z", "-enddate", "20361231000000Z",
                                          "-extensions", extensions, "-in", (dir_ / (name + ".csr")).string(),
                                          "-keyfile", (dir_ / (issuer + ".key")).string()};
    const std::filesystem::path out = name == issuer ? dir_ / name / (name + ".pem") : dir_ / (name + ".pem");
    arguments.insert(arguments.end(), {"-out", out.string()});
    if (name == issuer) {
      arguments.push_back("-selfsign");
    } else {
      arguments.insert(arguments.end(), {"-cert", (dir_ / issuer / (issuer + ".pem")).string()});
    }
    Run("openssl", arguments);
  }
  void Root(const std::string& name) const {
    Request(name, "/CN=Raiz de Teste " + name);
    Issue(name, name, "root");
  }

  TempDir dir_;
};
