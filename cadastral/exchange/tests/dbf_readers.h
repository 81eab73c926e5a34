// Reads a dBASE table back through two independent readers, dbfread (Debian's python3-dbfread,
// text as GBK) and GDAL's ogrinfo, so the writer's tests see what other programs see.
#pragma once

#include <string>
#include <vector>

namespace cadastral {

// A table as one reader sees it, texts in GBK. Numbers are written as "%.10g", dates as YYYYMMDD,
// and blank values as the empty text, so that both readers give the same view of a good table.
struct ReadBackTable {
    bool ok = false;
    std::string error;  // why the reader could not run or read the file
    long count = -1;    // the record count the reader takes from the header
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
};

ReadBackTable ReadWithDbfread(const std::string& path);
ReadBackTable ReadWithOgrinfo(const std::string& path);

// Expects both readers to see these field names and rows, and the file to be exactly as long as its
// header says: header length + records × record length, plus the end-of-file byte after the last
// record.
void ExpectReadersSee(const std::string& path, const std::vector<std::string>& names,
                      const std::vector<std::vector<std::string>>& rows);

}  // namespace cadastral
