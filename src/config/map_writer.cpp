#include "config/map_writer.h"

#include "common/fileio.h"
#include "common/text.h"

std::wstring MapKeyPath(int mapNumber)
{
    return std::wstring(kMapsKeyPath) + L"\\" + DecimalText(mapNumber);
}

std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section)
{
    return MapKeyPath(mapNumber) + L"\\" + section;
}

void WriteValues(RegistryKey& key, const std::vector<RegValue>& values)
{
    for (const RegValue& value : values) {
        switch (value.kind) {
        case RegKind::Text:
            key.WriteString(value.name, value.text);
            break;
        case RegKind::Number:
            key.WriteInteger(value.name, value.number);
            break;
        case RegKind::Flag:
            key.WriteBool(value.name, value.number != 0);
            break;
        }
    }
}

namespace {
// Creates the folder and its missing parents; whether that worked shows in the later copies.
void CreateFolderWithParents(const std::wstring& path)
{
    if (path.empty() || IsExistingFolder(path))
        return;
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0)
        CreateFolderWithParents(path.substr(0, slash));
    CreateDirectoryW(LongPathName(path).c_str(), nullptr);
}

// A copy never replaces an existing file; a failed copy or link is left for Vorla to notice.
void CopyKeepingExisting(const std::wstring& source, const std::wstring& target)
{
    CopyFileW(LongPathName(source).c_str(), LongPathName(target).c_str(), TRUE);
}

void LinkKeepingExisting(const std::wstring& existing, const std::wstring& link)
{
    CreateHardLinkW(LongPathName(link).c_str(), LongPathName(existing).c_str(), nullptr);
}

// Opens (creating) the key from the root and writes the values; a key that could not be opened
// fails at its first value.
void WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
    WriteValues(key, values);
}

// The first map folder of a type gets its own files; the later ones link to them.
void FillMapFolder(const MapSettings& settings, const std::wstring& type, const std::wstring& folder,
                   const std::wstring& firstFolder, bool first, const ShowMessageFn& showMessage)
{
    const std::wstring xmlName = MapXmlName(type);
    if (first) {
        CopyKeepingExisting(settings.EscSourcePath, folder + L"\\" + kEscFileName);
        CopyKeepingExisting(settings.ProgramDir + L"\\" + kLogoFileName, folder + L"\\" + kLogoFileName);
        RenderAddressBitmap(folder + L"\\" + kAddressFileName, settings.AddressLines, showMessage);
        CopyKeepingExisting(settings.ProgramDir + L"\\" + TemplateXmlName(type), folder + L"\\" + xmlName);
        return;
    }
    for (const std::wstring& name : {std::wstring(kEscFileName), std::wstring(kLogoFileName),
                                     std::wstring(kAddressFileName), xmlName})
        LinkKeepingExisting(firstFolder + L"\\" + name, folder + L"\\" + name);
}
}  // namespace

void WriteMaps(const MapSettings& settings, const std::wstring& seriesText, const std::wstring& mapType,
               int& mapCounter, std::wstring& MapDir, const ShowMessageFn& showMessage)
{
    const std::vector<std::wstring> items = SplitList(seriesText, L",");
    const std::wstring templatePath = settings.ProgramDir + L"\\" + TemplateXmlName(mapType);
    if (!IsExistingFile(templatePath)) {
        showMessage(L"Δεν βρέθηκε το αρχείο " + templatePath);
        return;
    }

    const bool pos = IsPosType(mapType);
    std::wstring firstFolder;
    for (size_t i = 0; i < items.size(); ++i) {
        const int n = ++mapCounter;
        const int series = SeriesNumber(items[i]);
        MapDir = MapFolderPath(settings.InstallDir, settings.BranchNo, series);
        CreateFolderWithParents(MapDir);
        if (i == 0)
            firstFolder = MapDir;
        FillMapFolder(settings, mapType, MapDir, firstFolder, i == 0, showMessage);

        const MapFacts facts{mapType,
                             items[i],
                             settings.BranchNo,
                             MapDir,
                             pos ? settings.PosPrinter : settings.BackPrinter,
                             pos ? settings.UncPos : settings.UncBack,
                             {}};
        WriteKey(MapKeyPath(n), ResolveValues(kMapValues, facts));
        WriteKey(MapSectionKeyPath(n, kMasterSubkey), ResolveValues(kMasterValues, facts));
        WriteKey(MapSectionKeyPath(n, kCopySubkey), ResolveValues(kCopyValues, facts));
    }
}
