#include "JsonWriter.h"

#include "platform/PathText.h"

#include <charconv>

void AppendJsonEscaped(std::string& out, std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            } else {
                out += c;
            }
        }
    }
}

void CJsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasItem.empty()) {
        if (m_hasItem.back()) m_text += ',';
        m_hasItem.back() = true;
    }
}

void CJsonWriter::Open(char bracket)
{
    BeforeValue();
    m_text += bracket;
    m_hasItem.push_back(false);
}

void CJsonWriter::Close(char bracket)
{
    m_text += bracket;
    if (!m_hasItem.empty()) m_hasItem.pop_back();
}

void CJsonWriter::BeginObject()
{
    Open('{');
}
void CJsonWriter::EndObject()
{
    Close('}');
}
void CJsonWriter::BeginArray()
{
    Open('[');
}
void CJsonWriter::EndArray()
{
    Close(']');
}

void CJsonWriter::Key(std::string_view name)
{
    BeforeValue();
    m_text += '"';
    AppendJsonEscaped(m_text, name);
    m_text += "\":";
    m_afterKey = true;
}

void CJsonWriter::String(std::string_view utf8)
{
    BeforeValue();
    m_text += '"';
    AppendJsonEscaped(m_text, utf8);
    m_text += '"';
}

void CJsonWriter::Number(std::uint64_t value)
{
    BeforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_text.append(buffer, result.ptr);
}

void CJsonWriter::Number(std::int64_t value)
{
    BeforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_text.append(buffer, result.ptr);
}

void CJsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
}

void CJsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
}

void CJsonWriter::PathMember(std::string_view name, std::string_view bytes)
{
    if (platform::IsValidUtf8(bytes)) return Member(name, bytes);
    Member(name, platform::DisplayText(bytes));
    Member(std::string(name) + "_hex", platform::HexOfBytes(bytes));
}
