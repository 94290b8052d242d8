#pragma once

// How values become parameter text: list parameters are one row a line, columns separated by a
// tab; short lists are joined with commas.

#include <initializer_list>
#include <string>
#include <vector>

// Builds a list parameter; a cell never breaks its row or column.
class TRows {
 public:
  void Add(std::initializer_list<std::u16string> cells);
  const std::u16string& Text() const { return text_; }

 private:
  std::u16string text_;
};

// The items that are not empty, separated by ", ".
std::u16string Joined(const std::vector<std::u16string>& items);

// A key in groups of four for the eye; unlike the printed access key, nothing is padded.
std::u16string GroupsOfFour(const std::u16string& key);

// One row for each line of the text that is not blank, so that a table may wrap long
// observations and continue them on further sheets.
std::u16string Paragraphs(const std::u16string& text);

// The first of CPF and CNPJ that is set; the template formats it.
std::u16string TaxIdOf(const std::u16string& cpf, const std::u16string& cnpj);
