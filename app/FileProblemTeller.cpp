#include "app/FileProblemTeller.h"
#include "app/ThreadPost.h"

#include <memory>

#include "base/FileIo.h"
#include "base/ProgramPaths.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/DictionarySet.h"
#include "hook/host32/Host32Protocol.h"
#include "res/resource.h"
#include "wnd/MessageBoxes.h"
#include "wnd/Window.h"

void CFileProblemTeller::Tell(const std::string& file, const std::string& text, ProblemWeight weight)
{
    if (!m_toldFiles.insert(file).second)
        return;
    threadpost::PostOwned(m_viewWindow, WM_VIEW_FILE_PROBLEM, static_cast<WPARAM>(weight),
                          std::make_unique<std::string>(text));
}

void CFileProblemTeller::TellUnloadedDictionaries(CDictionarySet& dictionaries)
{
    std::string list;
    for (int i = 0; i < dictionaries.Count(); ++i) {
        const CDictionaryFile& dictionary = dictionaries.Dictionary(i);
        const std::string& path = dictionaries.PathAt(i);
        if (!dictionary.IsOpen() && m_toldFiles.insert(path).second)
            list += "\r\n" + path + ": " + wnd::FileFaultText(dictionary.OpenFault());
    }
    if (!list.empty())
        Tell(list, wnd::ResourceText(IDS_DICTIONARIES_NOT_LOADED, {list}));
}

void CFileProblemTeller::TellUnsavableFolder(const std::string& directory, CAutoLearnDictionary& autoLearn)
{
    if (directory.empty())
        return;
    const pvbase::FileFault programFault = pvbase::FolderWriteFault(directory);
    const pvbase::FileFault libsFault = pvbase::FolderWriteFault(pvbase::LibsDirectory(directory));
    if (programFault == pvbase::FileFault::None && libsFault == pvbase::FileFault::None)
        return;
    const bool options = programFault != pvbase::FileFault::None;
    const bool dictionaries = libsFault != pvbase::FileFault::None;
    // Said here for the learnt words too, when they cannot be written either.
    const std::string autoLearnPath = pvbase::AutoLearnPath(directory);
    const bool words = !autoLearn.IsWritable() && m_toldFiles.insert(autoLearnPath).second;
    // Whole phrases: a translation cannot be put together from English pieces.
    const UINT lost = options && dictionaries ? (words ? IDS_LOST_ALL : IDS_LOST_OPTIONS_DICTIONARIES)
                      : options               ? (words ? IDS_LOST_OPTIONS_WORDS : IDS_LOST_OPTIONS)
                                              : (words ? IDS_LOST_DICTIONARIES_WORDS : IDS_LOST_DICTIONARIES);
    const pvbase::FileFault fault = options ? programFault : libsFault;
    Tell(directory, wnd::ResourceText(IDS_FOLDER_UNSAVABLE,
                                      {wnd::FileFaultText(fault), directory, wnd::LoadResourceString(lost)}));
}

void CFileProblemTeller::TellAutoLearnProblem(const std::string& directory, CAutoLearnDictionary& autoLearn)
{
    if (autoLearn.IsOpen()) {
        Tell(autoLearn.Path(),
             wnd::ResourceText(IDS_LEARNT_UNSAVABLE, {autoLearn.Path(), wnd::FileFaultText(autoLearn.WriteFault())}));
        return;
    }
    const std::string path = pvbase::AutoLearnPath(directory);
    Tell(path, wnd::ResourceText(IDS_LEARNT_UNREADABLE, {path, wnd::FileFaultText(autoLearn.OpenFault())}));
}

void CFileProblemTeller::TellSyncProblem(const std::string& file, const std::string& reason)
{
    Tell(file, wnd::ResourceText(IDS_SYNC_PROBLEM, {file, reason}));
}

void CFileProblemTeller::TellNo32BitHelper()
{
    Tell(HOST32_EXE_NAME, wnd::ResourceText(IDS_NO_32BIT_HOST, {HOST32_EXE_NAME}), ProblemWeight::Warning);
}
