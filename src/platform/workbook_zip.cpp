// .xlsx and .ods workbooks through liborcus. Before orcus sees a file, its zip
// directory is walked here with every offset checked, so that a damaged or
// hostile archive is refused with a reason instead of being unpacked.

#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>

#include <ixion/address.hpp>
#include <ixion/cell.hpp>
#include <ixion/cell_access.hpp>
#include <ixion/formula_result.hpp>
#include <ixion/model_context.hpp>

#include <array>
#include <optional>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/workbook.h"

namespace kelvo6::platform::workbook_detail {

namespace {

constexpr std::uint64_t kMaxUnpackedBytes = 64u * 1024u * 1024u;
constexpr std::size_t kMaxEntries = 4096;

enum class ZipKind { kNone, kXlsx, kOds };

struct ZipCheck {
  std::string error;
  ZipKind kind = ZipKind::kNone;
};

std::uint32_t le(const std::string& b, std::size_t at, int width) {
  std::uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

ZipCheck checkZip(const std::string& b) {
  ZipCheck out;
  constexpr std::size_t kEndRecord = 22;
  if (b.size() < kEndRecord) {
    out.error = "damaged archive (too short)";
    return out;
  }
  // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
  std::size_t end = std::string::npos;
  std::size_t lowest = b.size() > kEndRecord + 0xFFFF ? b.size() - kEndRecord - 0xFFFF : 0;
  for (std::size_t p = b.size() - kEndRecord + 1; p-- > lowest;) {
    if (le(b, p, 4) == 0x06054b50) {
      end = p;
      break;
    }
  }
  if (end == std::string::npos) {
    out.error = "damaged archive (no directory)";
    return out;
  }
  std::size_t entries = le(b, end + 10, 2);
  std::size_t dirSize = le(b, end + 12, 4);
  std::size_t dirOffset = le(b, end + 16, 4);
  if (entries == 0xFFFF || dirOffset == 0xFFFFFFFF) {
    out.error = "unsupported archive (zip64)";
    return out;
  }
  if (entries > kMaxEntries || dirOffset > end || dirSize > end - dirOffset) {
    out.error = "damaged archive (directory out of bounds)";
    return out;
  }
  bool contentTypes = false, xlsxWorkbook = false, odsContent = false, odsMimetype = false;
  std::uint64_t unpacked = 0;
  std::size_t p = dirOffset;
  for (std::size_t i = 0; i < entries; ++i) {
    constexpr std::size_t kHeader = 46;
    if (p + kHeader > dirOffset + dirSize || le(b, p, 4) != 0x02014b50) {
      out.error = "damaged archive (bad directory entry)";
      return out;
    }
    std::uint32_t packed = le(b, p + 20, 4);
    std::uint32_t size = le(b, p + 24, 4);
    std::size_t nameLength = le(b, p + 28, 2);
    std::size_t extraLength = le(b, p + 30, 2);
    std::size_t commentLength = le(b, p + 32, 2);
    std::uint32_t localOffset = le(b, p + 42, 4);
    if (packed == 0xFFFFFFFF || size == 0xFFFFFFFF || localOffset == 0xFFFFFFFF) {
      out.error = "unsupported archive (zip64)";
      return out;
    }
    std::size_t next = p + kHeader + nameLength + extraLength + commentLength;
    if (next > dirOffset + dirSize || localOffset >= dirOffset || packed > dirOffset - localOffset) {
      out.error = "damaged archive (entry out of bounds)";
      return out;
    }
    unpacked += size;
    if (unpacked > kMaxUnpackedBytes) {
      out.error = "the archive unpacks to more than a vehicle workbook can hold";
      return out;
    }
    std::string_view name(b.data() + p + kHeader, nameLength);
    contentTypes |= name == "[Content_Types].xml";
    xlsxWorkbook |= name == "xl/workbook.xml";
    odsContent |= name == "content.xml";
    odsMimetype |= name == "mimetype";
    p = next;
  }
  if (contentTypes && xlsxWorkbook) {
    out.kind = ZipKind::kXlsx;
  } else if (odsContent && odsMimetype) {
    out.kind = ZipKind::kOds;
  } else {
    out.error = "not a workbook (.xlsx or .ods)";
  }
  return out;
}

WorkbookCell cellAt(const ixion::model_context& cxt, CellAddress a) {
  WorkbookCell c;
  ixion::abs_address_t pos(0, a.row - 1, a.column - 1);
  ixion::cell_access access = cxt.get_cell_access(pos);
  switch (access.get_type()) {
    case ixion::celltype_t::numeric:
      c.kind = WorkbookCell::Kind::kNumber;
      c.number = access.get_numeric_value();
      break;
    case ixion::celltype_t::string:
      c.kind = WorkbookCell::Kind::kText;
      c.text = std::string(access.get_string_value());
      break;
    case ixion::celltype_t::boolean:
      c.kind = WorkbookCell::Kind::kBoolean;
      c.number = access.get_boolean_value() ? 1.0 : 0.0;
      break;
    case ixion::celltype_t::formula: {
      // Only the result stored in the file is used; nothing is recalculated.
      c.kind = WorkbookCell::Kind::kError;
      c.text = "formula without a stored result";
      const ixion::formula_cell* f = access.get_formula_cell();
      if (!f) break;
      try {
        ixion::formula_result r = f->get_result_cache(ixion::formula_result_wait_policy_t::throw_exception);
        switch (r.get_type()) {
          case ixion::formula_result::result_type::value:
            c.kind = WorkbookCell::Kind::kNumber;
            c.number = r.get_value();
            break;
          case ixion::formula_result::result_type::string:
            c.kind = WorkbookCell::Kind::kText;
            c.text = r.get_string();
            break;
          case ixion::formula_result::result_type::error:
            c.text = std::string(ixion::get_formula_error_name(r.get_error()));
            break;
          case ixion::formula_result::result_type::matrix: c.text = "array formula"; break;
        }
      } catch (...) {
        // No stored result: stays an error cell.
      }
      break;
    }
    default: break;  // empty
  }
  return c;
}

}  // namespace

WorkbookReadResult readZipWorkbook(const std::string& bytes) {
  WorkbookReadResult result;
  ZipCheck zip = checkZip(bytes);
  if (zip.kind == ZipKind::kNone) {
    result.error = zip.error;
    return result;
  }
  try {
    orcus::spreadsheet::range_size_t size{1048576, 16384};
    orcus::spreadsheet::document doc(size);
    orcus::spreadsheet::import_factory factory(doc);
    factory.set_recalc_formula_cells(false);
    factory.set_formula_error_policy(orcus::spreadsheet::formula_error_policy_t::skip);
    std::optional<std::string> rebuilt;
    if (zip.kind == ZipKind::kXlsx) rebuilt = normalisedXlsx(bytes);
    std::string_view stream = rebuilt ? std::string_view(*rebuilt) : std::string_view(bytes);
    if (zip.kind == ZipKind::kXlsx) {
      orcus::orcus_xlsx filter(&factory);
      filter.read_stream(stream);
    } else {
      orcus::orcus_ods filter(&factory);
      filter.read_stream(stream);
    }
    if (doc.get_sheet_count() == 0) {
      result.error = "the workbook has no worksheet";
      return result;
    }
    const ixion::model_context& cxt = doc.get_model_context();
    for (int n = 1; n <= kWorkbookParams; ++n)
      result.sheet.params[static_cast<std::size_t>(n - 1)] = cellAt(cxt, parameterAddress(n));
    for (int n = 1; n <= kWorkbookCells; ++n)
      result.sheet.cells[static_cast<std::size_t>(n - 1)] = cellAt(cxt, tableCellAddress(n));
    result.ok = true;
  } catch (const std::exception& e) {
    result = {};
    result.error = std::string("damaged workbook: ") + e.what();
  } catch (...) {
    result = {};
    result.error = "damaged workbook";
  }
  return result;
}

}  // namespace kelvo6::platform::workbook_detail
