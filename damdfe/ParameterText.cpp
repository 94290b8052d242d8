#include "ParameterText.h"

#include <algorithm>

void TRows::Add(std::initializer_list<std::u16string> cells) {
  bool first = true;
  for (const std::u16string& cell : cells) {
    if (!first) text_ += u'\t';
    first = false;
    for (char16_t c : cell) text_ += (c == u'\t' || c == u'\n' || c == u'\r') ? u' ' : c;
  }
  text_ += u'\n';
}

std::u16string Joined(const std::vector<std::u16string>& items) {
  std::u16string text;
  for (const std::u16string& item : items) {
    if (item.empty()) continue;
    if (!text.empty()) text += u", ";
    text += item;
  }
  return text;
}

std::u16string GroupsOfFour(const std::u16string& key) {
  std::u16string text;
  for (size_t i = 0; i < key.size(); ++i) {
    if (i > 0 && i % 4 == 0) text += u' ';
    text += key[i];
  }
  return text;
}

std::u16string Paragraphs(const std::u16string& text) {
  TRows rows;
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find(u'\n', start), text.size());
    std::u16string line = text.substr(start, end - start);
    if (line.find_first_not_of(u" \t\r") != std::u16string::npos) rows.Add({line});
    start = end + 1;
  }
  return rows.Text();
}

std::u16string TaxIdOf(const std::u16string& cpf, const std::u16string& cnpj) { return cpf.empty() ? cnpj : cpf; }
