#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"

#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"

namespace ostreldesignkit {

std::string_view fontName(OstrelFontWeight weight) {
    switch (weight) {
    case OstrelFontWeight::regular: return "AvenirNext-Regular";
    case OstrelFontWeight::medium: return "AvenirNext-Medium";
    case OstrelFontWeight::demiBold: return "AvenirNext-DemiBold";
    case OstrelFontWeight::bold: return "AvenirNext-Bold";
    case OstrelFontWeight::heavy: return "AvenirNext-Heavy";
    }
    return "AvenirNext-Regular";
}

QFont::Weight qtWeight(OstrelFontWeight weight) {
    switch (weight) {
    case OstrelFontWeight::regular: return QFont::Normal;
    case OstrelFontWeight::medium: return QFont::Medium;
    case OstrelFontWeight::demiBold: return QFont::DemiBold;
    case OstrelFontWeight::bold: return QFont::Bold;
    case OstrelFontWeight::heavy: return QFont::ExtraBold;
    }
    return QFont::Normal;
}

QStringList ostrelFontFamilies() { return {QStringLiteral("Lato"), QStringLiteral("DejaVu Sans")}; }

QFont ostrelFont(double size, OstrelFontWeight weight) {
    QFont font;
    font.setFamilies(ostrelFontFamilies());
    setLogicalSize(font, size);
    font.setWeight(qtWeight(weight));
    return font;
}

} // namespace ostreldesignkit
