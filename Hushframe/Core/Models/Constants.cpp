#include "Hushframe/Core/Models/Constants.hpp"

#include "Hushframe/Core/Models/ModelSupportConfig.hpp"

namespace hushframe {

namespace {

// Supported on the A15 to A18 phones and tablets.
const std::vector<std::string>& mobileLargeModels() {
    static const std::vector<std::string> models = {
        "openai_whisper-tiny",
        "openai_whisper-tiny.en",
        "openai_whisper-base",
        "openai_whisper-base.en",
        "openai_whisper-small",
        "openai_whisper-small.en",
        "openai_whisper-large-v2_949MB",
        "openai_whisper-large-v2_turbo_955MB",
        "openai_whisper-large-v3_947MB",
        "openai_whisper-large-v3_turbo_954MB",
        "distil-whisper_distil-large-v3_594MB",
        "distil-whisper_distil-large-v3_turbo_600MB",
        "openai_whisper-large-v3-v20240930_626MB",
        "openai_whisper-large-v3-v20240930_turbo_632MB",
    };
    return models;
}

std::vector<DeviceSupport> fallbackDeviceSupports() {
    return {
        DeviceSupport{"A12, A13, S9, S10",
                      {"iPhone11", "iPhone12", "iPad12,1", "iPad12,2", "Watch7", "Watch8"},
                      ModelSupport{"openai_whisper-tiny",
                                   {"openai_whisper-base", "openai_whisper-base.en", "openai_whisper-tiny",
                                    "openai_whisper-tiny.en"},
                                   {}}},
        DeviceSupport{"A16, A17 Pro, A18",
                      {"iPhone15", "iPhone16", "iPhone17", "iPad15,7", "iPad15,8", "iPad16,1", "iPad16,2"},
                      ModelSupport{"openai_whisper-base", mobileLargeModels(), {}}},
        DeviceSupport{"M1",
                      {"MacBookPro17,1", "MacBookPro18,1", "MacBookPro18,2", "MacBookPro18,3", "MacBookPro18,4",
                       "MacBookAir10,1", "Macmini9,1", "iMac21,1", "iMac21,2", "Mac13", "iPad13,4", "iPad13,5",
                       "iPad13,6", "iPad13,7", "iPad13,8", "iPad13,9", "iPad13,10", "iPad13,11", "iPad13,16",
                       "iPad13,17"},
                      ModelSupport{"openai_whisper-large-v3-v20240930_626MB",
                                   {"openai_whisper-tiny", "openai_whisper-tiny.en", "openai_whisper-base",
                                    "openai_whisper-base.en", "openai_whisper-small", "openai_whisper-small.en",
                                    "openai_whisper-large-v2", "openai_whisper-large-v2_949MB",
                                    "openai_whisper-large-v3", "openai_whisper-large-v3_947MB",
                                    "distil-whisper_distil-large-v3", "distil-whisper_distil-large-v3_594MB",
                                    "openai_whisper-large-v3-v20240930_626MB"},
                                   {}}},
        DeviceSupport{"M2, M3, M4",
                      {"Mac14", "Mac15", "Mac16", "iPad14,3", "iPad14,4", "iPad14,5", "iPad14,6", "iPad14,8",
                       "iPad14,9", "iPad14,10", "iPad14,11", "iPad15", "iPad16"},
                      ModelSupport{"openai_whisper-large-v3-v20240930",
                                   {"openai_whisper-tiny",
                                    "openai_whisper-tiny.en",
                                    "openai_whisper-base",
                                    "openai_whisper-base.en",
                                    "openai_whisper-small",
                                    "openai_whisper-small.en",
                                    "openai_whisper-large-v2",
                                    "openai_whisper-large-v2_949MB",
                                    "openai_whisper-large-v2_turbo",
                                    "openai_whisper-large-v2_turbo_955MB",
                                    "openai_whisper-large-v3",
                                    "openai_whisper-large-v3_947MB",
                                    "openai_whisper-large-v3_turbo",
                                    "openai_whisper-large-v3_turbo_954MB",
                                    "distil-whisper_distil-large-v3",
                                    "distil-whisper_distil-large-v3_594MB",
                                    "distil-whisper_distil-large-v3_turbo",
                                    "distil-whisper_distil-large-v3_turbo_600MB",
                                    "openai_whisper-large-v3-v20240930",
                                    "openai_whisper-large-v3-v20240930_turbo",
                                    "openai_whisper-large-v3-v20240930_626MB",
                                    "openai_whisper-large-v3-v20240930_turbo_632MB"},
                                   {}}},
        DeviceSupport{"A14",
                      {"iPhone13", "iPad13,1", "iPad13,2", "iPad13,18", "iPad13,19"},
                      ModelSupport{"openai_whisper-base",
                                   {"openai_whisper-tiny", "openai_whisper-tiny.en", "openai_whisper-base",
                                    "openai_whisper-base.en", "openai_whisper-small", "openai_whisper-small.en"},
                                   {}}},
        DeviceSupport{"A15",
                      {"iPhone14", "iPad14,1", "iPad14,2"},
                      ModelSupport{"openai_whisper-base", mobileLargeModels(), {}}},
    };
}

} // namespace

const std::map<std::string, std::string>& Constants::languages() {
    static const std::map<std::string, std::string> languages = {
        {"english", "en"}, {"chinese", "zh"}, {"german", "de"}, {"spanish", "es"}, {"russian", "ru"},
        {"korean", "ko"}, {"french", "fr"}, {"japanese", "ja"}, {"portuguese", "pt"}, {"turkish", "tr"},
        {"polish", "pl"}, {"catalan", "ca"}, {"dutch", "nl"}, {"arabic", "ar"}, {"swedish", "sv"},
        {"italian", "it"}, {"indonesian", "id"}, {"hindi", "hi"}, {"finnish", "fi"}, {"vietnamese", "vi"},
        {"hebrew", "he"}, {"ukrainian", "uk"}, {"greek", "el"}, {"malay", "ms"}, {"czech", "cs"},
        {"romanian", "ro"}, {"danish", "da"}, {"hungarian", "hu"}, {"tamil", "ta"}, {"norwegian", "no"},
        {"thai", "th"}, {"urdu", "ur"}, {"croatian", "hr"}, {"bulgarian", "bg"}, {"lithuanian", "lt"},
        {"latin", "la"}, {"maori", "mi"}, {"malayalam", "ml"}, {"welsh", "cy"}, {"slovak", "sk"},
        {"telugu", "te"}, {"persian", "fa"}, {"latvian", "lv"}, {"bengali", "bn"}, {"serbian", "sr"},
        {"azerbaijani", "az"}, {"slovenian", "sl"}, {"kannada", "kn"}, {"estonian", "et"},
        {"macedonian", "mk"}, {"breton", "br"}, {"basque", "eu"}, {"icelandic", "is"}, {"armenian", "hy"},
        {"nepali", "ne"}, {"mongolian", "mn"}, {"bosnian", "bs"}, {"kazakh", "kk"}, {"albanian", "sq"},
        {"swahili", "sw"}, {"galician", "gl"}, {"marathi", "mr"}, {"punjabi", "pa"}, {"sinhala", "si"},
        {"khmer", "km"}, {"shona", "sn"}, {"yoruba", "yo"}, {"somali", "so"}, {"afrikaans", "af"},
        {"occitan", "oc"}, {"georgian", "ka"}, {"belarusian", "be"}, {"tajik", "tg"}, {"sindhi", "sd"},
        {"gujarati", "gu"}, {"amharic", "am"}, {"yiddish", "yi"}, {"lao", "lo"}, {"uzbek", "uz"},
        {"faroese", "fo"}, {"haitian creole", "ht"}, {"pashto", "ps"}, {"turkmen", "tk"}, {"nynorsk", "nn"},
        {"maltese", "mt"}, {"sanskrit", "sa"}, {"luxembourgish", "lb"}, {"myanmar", "my"}, {"tibetan", "bo"},
        {"tagalog", "tl"}, {"malagasy", "mg"}, {"assamese", "as"}, {"tatar", "tt"}, {"hawaiian", "haw"},
        {"lingala", "ln"}, {"hausa", "ha"}, {"bashkir", "ba"}, {"javanese", "jw"}, {"sundanese", "su"},
        {"cantonese", "yue"}, {"burmese", "my"}, {"valencian", "ca"}, {"flemish", "nl"}, {"haitian", "ht"},
        {"letzeburgesch", "lb"}, {"pushto", "ps"}, {"panjabi", "pa"}, {"moldavian", "ro"}, {"moldovan", "ro"},
        {"sinhalese", "si"}, {"castilian", "es"}, {"mandarin", "zh"},
    };
    return languages;
}

const std::set<std::string>& Constants::languageCodes() {
    static const std::set<std::string> codes = [] {
        std::set<std::string> built;
        for (const auto& [name, code] : languages()) built.insert(code);
        return built;
    }();
    return codes;
}

const ModelSupportConfig& Constants::fallbackModelSupportConfig() {
    static const ModelSupportConfig config("hushframe-coreml-fallback", "0.4", fallbackDeviceSupports(), false);
    return config;
}

const std::vector<std::string>& Constants::knownModels() {
    return fallbackModelSupportConfig().knownModels;
}

} // namespace hushframe
