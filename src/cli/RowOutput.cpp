#include "RowOutput.h"

#include "CliOutput.h"

void AppendQuotedCell(std::string& out, std::string_view cell, char separator)
{
    if (cell.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos) {
        out.append(cell);
        return;
    }
    out += '"';
    for (const char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendRow(std::string& out, const std::vector<std::string>& cells, OutputFormat format)
{
    const char separator = format == OutputFormat::Csv ? ',' : '\t';
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += separator;
        if (format == OutputFormat::Text)
            AppendTerminalText(out, cells[i]);
        else
            AppendQuotedCell(out, cells[i], separator);
    }
    out += format == OutputFormat::Csv ? "\r\n" : "\n";
}
