#include "engine.h"

#include "platform/dao/dao_exception.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"

namespace platform::dao {

int Table::FieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (text::GbkEqualNoCase(fields[i], name))
            return static_cast<int>(i);
    return -1;
}

bool IsJetFile(std::string_view bytes)
{
    // Every Jet file (3 and 4, and the later engine's) names its format at byte 4.
    return bytes.size() >= 20 && bytes[0] == 0 &&
           (bytes.substr(4, 15) == "Standard Jet DB" || bytes.substr(4, 15) == "Standard ACE DB");
}

std::shared_ptr<Database> OpenDatabase(std::string bytes, const std::string& windowsPath)
{
    if (IsJetFile(bytes))
        return OpenJetDatabase(std::move(bytes), windowsPath);
    return OpenTextDatabase(bytes, windowsPath);
}

void ThrowUnrecognized(const std::string& windowsPath, const std::string& detail)
{
    std::string text = text::Format("Unrecognized database format '%s'.", windowsPath);
    if (!detail.empty())
        text += " " + detail;
    AfxThrowDaoException(kDaoUnrecognizedFormat, text);
}

void ThrowTableNotFound(const std::string& name)
{
    AfxThrowDaoException(kDaoTableNotFound,
                         text::Format("The Microsoft Jet database engine cannot find the input table or query '%s'. "
                                      "Make sure it exists and that its name is spelled correctly.",
                                      name));
}

}  // namespace platform::dao
