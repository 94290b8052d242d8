// Each display format once, with the values it must leave as written.

#include <gtest/gtest.h>

#include "DisplayFormat.h"

namespace {

struct Case {
  const char* format;
  const char* value;
  const char* shown;
};

TEST(DisplayFormat, ShowsWhatItCanReadAndLeavesTheRestAsWritten) {
  for (const Case& c : {
           Case{"data_hora", "2022-12-02T06:26:00-03:00", "02/12/2022 06:26:00"},  // no time-zone conversion
           Case{"data_hora", "2018-01-15T17:51:42", "15/01/2018 17:51:42"},
           Case{"data_hora", "2026-01-31", "31/01/2026"},
           Case{"data_hora", "2018-02-30T10:00:00-03:00", "2018-02-30T10:00:00-03:00"},
           Case{"data_hora", "amanhã", "amanhã"},
           Case{"data_hora", "", ""},
           Case{"data_hora_minutos", "2017-10-04T19:54:12-03:00", "04/10/2017 19:54"},
           Case{"numero", "15000.0000", "15.000,0000"},
           Case{"numero", "11706.01", "11.706,01"},
           Case{"numero", "1234567", "1.234.567"},
           Case{"numero", "0.5", "0,5"},
           Case{"numero", "1.2.3", "1.2.3"},
           Case{"numero", "", ""},
           Case{"quantidade", "", "0"},
           Case{"quantidade", "1200", "1.200"},
           Case{"cpf_cnpj", "12345678000195", "12.345.678/0001-95"},
           Case{"cpf_cnpj", "12ABC34501DE35", "12.ABC.345/01DE-35"},
           Case{"cpf_cnpj", "12345678909", "123.456.789-09"},
           Case{"cpf_cnpj", "1234567890", "1234567890"},
           Case{"cpf_cnpj", "12ABC34501DEXX", "12ABC34501DEXX"},
           Case{"cpf_cnpj", "", ""},
           Case{"cep", "04578000", "04578-000"},
           Case{"cep", "0457800", "0457800"},
           Case{"tipo_emissao", "1", "1 - Normal"},
           Case{"tipo_emissao", "2", "2 - Contingência"},
           Case{"tipo_emissao", "5", "5"},
           Case{"unidade", "01", "KG"},
           Case{"unidade", "02", "TON"},
           Case{"unidade", "03", "03"},
           Case{"forma_pagamento", "1", "a prazo"},
           Case{"tipo_carga", "05", "05 - Carga geral"},
           Case{"tipo_carga", "", ""},
           Case{"tipo_navegacao", "1", "Cabotagem"},
           Case{"tipo_unidade_carga", "3", "Pallet"},
           Case{"tipo_unidade_transporte", "2", "Rodoviário Reboque"},
       }) {
    SCOPED_TRACE(std::string(c.format) + " " + c.value);
    ASSERT_TRUE(report::isDisplayFormat(c.format));
    EXPECT_EQ(report::displayFormatted(c.format, QString::fromUtf8(c.value)).toStdString(), c.shown);
  }
  EXPECT_FALSE(report::isDisplayFormat("datahora"));
}

}  // namespace
