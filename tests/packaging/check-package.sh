#!/usr/bin/env bash
# Usage: check-package.sh BUILD_DIR SOURCE_DIR
# Packs the build with cpack, then checks the package's files, dependencies and menu entry, and
# runs both programs from the unpacked tree in another folder.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FALHOU: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pack" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  fail "cpack"
}
debs=("$work"/pack/damdfe_*_"$(dpkg --print-architecture)".deb)
[ -f "${debs[0]}" ] || fail "nenhum damdfe_<versão>_<arquitetura>.deb em $(ls "$work/pack")"
deb=${debs[0]}

expected="./usr/bin/damdfe
./usr/bin/damdfe-imprimir
./usr/bin/damdfe-servidor
./usr/lib/damdfe/libdamdfe-printing.so
./usr/share/applications/damdfe.desktop
./usr/share/damdfe/DAMDFE_Paisagem.rav
./usr/share/damdfe/DAMDFE_Retrato.rav
./usr/share/damdfe/fonts/DAMDFESans-Bold.ttf
./usr/share/damdfe/fonts/DAMDFESans.ttf
./usr/share/damdfe/fonts/DAMDFESansCondensed-Bold.ttf
./usr/share/damdfe/fonts/DAMDFESansCondensed.ttf
./usr/share/damdfe/fonts/LICENSE
./usr/share/icons/hicolor/256x256/apps/damdfe.png
./usr/share/icons/hicolor/scalable/apps/damdfe.svg
./usr/share/man/man1/damdfe-imprimir.1.gz
./usr/share/man/man1/damdfe-servidor.1.gz
./usr/share/man/man1/damdfe.1.gz"
all=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
files=$(grep -v '^\./usr/share/damdfe/schemas/' <<<"$all")
[ "$files" = "$expected" ] || fail "arquivos do pacote:"$'\n'"$(diff <(echo "$expected") <(echo "$files"))"
for schema in mdfe_v3.00.xsd procMDFe_v3.00.xsd mdfeTiposBasico_v3.00.xsd xmldsig-core-schema_v1.01.xsd; do
  grep -qx "./usr/share/damdfe/schemas/$schema" <<<"$all" || fail "pacote sem o esquema $schema"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6printsupport6 libxerces-c3.2 libzint2.11 qt6-qpa-plugins libxml-security-c20; do
  [[ $depends == *"$library"* ]] || fail "Depends sem $library: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/damdfe.desktop
desktop-file-validate "$desktop" || fail "damdfe.desktop inválido"
grep -qx 'Exec=damdfe %f' "$desktop" || fail "damdfe.desktop não abre o arquivo dado"
grep -q '^MimeType=.*application/xml' "$desktop" || fail "damdfe.desktop sem MimeType de XML"
for page in damdfe damdfe-imprimir; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH DESCRIÇÃO' || fail "página de manual $page"
done

# From another folder, as an installed program: the templates come from usr/share/damdfe.
cd "$work"
"$root/usr/bin/damdfe" --version | grep -qx "damdfe [0-9.]*" || fail "damdfe --version"
"$root/usr/bin/damdfe" --help | grep -q '^Uso: damdfe' || fail "damdfe --help"
status=0
"$root/usr/bin/damdfe" --desconhecida 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "damdfe com opção desconhecida saiu com $status, não 2"
"$root/usr/bin/damdfe-imprimir" --pdf saida.pdf "$source/samples/MDFe_exemplo.xml" || fail "damdfe-imprimir"
pdftotext saida.pdf - | grep -q '3526 1212 3456 7800 0195 5800 1000 0012 3418 7654 3210' || fail "PDF sem a chave"
# The schemas come from usr/share/damdfe/schemas: the unsigned sample breaks only the Signature rule.
verdict=$("$root/usr/bin/damdfe-imprimir" --verificar "$source/samples/MDFe_exemplo.xml") || true
[[ $verdict == *"sem assinatura"*"esquema: linha 180"* ]] || fail "damdfe-imprimir --verificar: $verdict"
# Printing and preview come from the module, which a PDF never loads.
readelf -d "$root/usr/bin/damdfe-imprimir" | grep -qE 'Qt6(Widgets|PrintSupport)|libcups' && fail "damdfe-imprimir liga Qt Widgets"
printed=$("$root/usr/bin/damdfe-imprimir" --impressora=inexistente "$source/samples/MDFe_exemplo.xml" 2>&1) || true
[[ $printed == *'Impressora "inexistente" não encontrada'* ]] || fail "módulo de impressão: $printed"
"$root/usr/bin/damdfe-servidor" --version | grep -qx "damdfe-servidor [0-9.]*" || fail "damdfe-servidor --version"
# Only the fonts shipped beside the templates are embedded, whatever the machine has.
fonts=$(pdffonts saida.pdf | tail -n +3 | awk '{print $1}' | LC_ALL=C sort | tr '\n' ' ')
[ "$fonts" = "DAMDFESans DAMDFESans-Bold DAMDFESansCondensed DAMDFESansCondensed-Bold " ] ||
  fail "fontes do PDF: $fonts"
echo "pacote $(basename "$deb") conferido"
