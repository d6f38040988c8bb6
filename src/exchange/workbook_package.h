#pragma once

#include <zip.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/workbook_reader.h"

namespace korvela {

// What is wrong with a workbook's content; becomes WorkbookError::problem.
class WorkbookProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// At most the first 40 characters of a text, with "…" when there were more, in «».
std::string quotedExcerpt(std::string_view text);
// The same excerpt without the quotes.
std::string textExcerpt(std::string_view text);
std::string megabytes(std::uint64_t bytes);

// The zip container of a workbook, read-only. Every part is unpacked with its size checked
// against the limits before anything is allocated, and against what it really unpacks to.
class WorkbookPackage {
public:
    // Takes the source over (also when the constructor throws).
    WorkbookPackage(zip_source_t* source, const WorkbookLimits& limits);
    ~WorkbookPackage();
    WorkbookPackage(const WorkbookPackage&) = delete;
    WorkbookPackage& operator=(const WorkbookPackage&) = delete;

    // A part read a chunk at a time.
    class PartStream {
    public:
        PartStream(zip_file_t* file, std::string name, std::uint64_t size);
        ~PartStream();
        PartStream(const PartStream&) = delete;
        PartStream& operator=(const PartStream&) = delete;
        // Up to capacity bytes; 0 at the end. Throws when the part is damaged.
        std::size_t read(char* buffer, std::size_t capacity);
        std::uint64_t size() const { return size_; }

    private:
        zip_file_t* file_;
        std::string name_;
        std::uint64_t size_;
        std::uint64_t got_ = 0;
    };

    // The unpacked part, or nothing when the package has no part of that name. A part
    // larger than maxBytes is refused before anything is unpacked.
    std::optional<std::string> read(const std::string& name, std::uint64_t maxBytes);
    // The same as a stream; nullptr when there is no such part.
    std::unique_ptr<PartStream> open(const std::string& name, std::uint64_t maxBytes);

private:
    std::uint64_t checkedSize(const std::string& name, std::uint64_t maxBytes, zip_int64_t& index);

    const WorkbookLimits& limits_;
    zip_t* archive_ = nullptr;
    std::uint64_t unpacked_ = 0;
};

// Where the first sheet of the workbook and its shared strings lie in the package.
struct WorkbookLayout {
    std::string workbookPart;
    std::string firstSheetPart;     // empty when the first sheet is no worksheet, or there is none
    std::string sharedStringsPart;  // empty when there is none
};
WorkbookLayout findWorkbookLayout(WorkbookPackage& package, const WorkbookLimits& limits);

// A part of a package and its new content.
struct PartText {
    std::string name;
    std::string content;
};

// What else goes when only the first sheet of a workbook is replaced: the calculation chain
// (the formula cells Excel lists, which would name cells of the old sheet, so that Excel
// declares the file damaged; Excel builds the chain again), with its relationship in the
// workbook's relationships and its override in the content types. Nothing to do when the
// workbook has no chain.
struct CalculationChainRemoval {
    std::vector<std::string> removedParts;
    std::vector<PartText> rewrittenParts;  // the two parts without the chain
};
CalculationChainRemoval calculationChainRemoval(WorkbookPackage& package,
                                                const WorkbookLayout& layout,
                                                const WorkbookLimits& limits);

// The relationships part of a part: xl/worksheets/_rels/sheet1.xml.rels of
// xl/worksheets/sheet1.xml.
std::string relationshipsPartOf(const std::string& partName);

}  // namespace korvela
