# Sourced by scripts/fuzz.sh: the workbook readers' target, which links the
# archive (Qt for its texts) and the spreadsheet libraries.
workbook_sources=(tests/fuzz/workbook_reader.cpp src/params/archive.cpp src/app/texts.cpp src/link/param_texts.cpp
  src/platform/workbook_read.cpp src/platform/workbook_write.cpp
  src/platform/workbook_xls.cpp src/platform/workbook_xlsx_fix.cpp src/platform/workbook_zip.cpp
  src/platform/workbook_isolated.cpp "${core_sources[@]}")
# shellcheck disable=SC2207
workbook_libs=($(pkg-config --cflags --libs Qt6Widgets liborcus-0.17 libixion-0.17 freexl xlsxwriter)
  -lorcus-spreadsheet-model-0.17)
# The vptr check on objects of the uninstrumented Qt and spreadsheet libraries
# makes every run hundreds of times slower, so it is left out here.
build fuzz_workbook -fPIC -fno-sanitize=vptr "${workbook_sources[@]}" "${workbook_libs[@]}"
extra_targets+=(fuzz_workbook)
