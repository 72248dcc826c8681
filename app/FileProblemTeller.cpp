#include "app/FileProblemTeller.h"

#include <memory>

#include "app/ThreadMessages.h"
#include "base/FileIo.h"
#include "base/ProgramPaths.h"
#include "dict/AutoLearnDictionary.h"
#include "dict/DictionarySet.h"

void CFileProblemTeller::Tell(const std::string& file, const std::string& text)
{
    if (!m_toldFiles.insert(file).second)
        return;
    auto message = std::make_unique<std::string>(text);
    if (::PostMessageW(m_viewWindow, WM_VIEW_FILE_PROBLEM, 0, reinterpret_cast<LPARAM>(message.get())))
        message.release();
}

void CFileProblemTeller::TellUnloadedDictionaries(CDictionarySet& dictionaries)
{
    std::string list;
    for (int i = 0; i < dictionaries.Count(); ++i) {
        const CDictionaryFile& dictionary = dictionaries.Dictionary(i);
        const std::string& path = dictionaries.PathAt(i);
        if (!dictionary.IsOpen() && m_toldFiles.insert(path).second)
            list += "\r\n" + path + ": " + pvbase::FileFaultReason(dictionary.OpenFault());
    }
    if (!list.empty())
        Tell(list, "These dictionaries could not be loaded; their words are not offered:" + list);
}

void CFileProblemTeller::TellUnsavableFolder(const std::string& directory, CAutoLearnDictionary& autoLearn)
{
    if (directory.empty())
        return;
    const pvbase::FileFault programFault = pvbase::FolderWriteFault(directory);
    const pvbase::FileFault libsFault = pvbase::FolderWriteFault(pvbase::LibsDirectory(directory));
    if (programFault == pvbase::FileFault::None && libsFault == pvbase::FileFault::None)
        return;
    std::string lost = programFault != pvbase::FileFault::None ? "changed options" : "";
    if (libsFault != pvbase::FileFault::None)
        lost += lost.empty() ? "dictionary changes" : ", dictionary changes";
    // Said here for the learnt words too, when they cannot be written either.
    const std::string autoLearnPath = pvbase::AutoLearnPath(directory);
    if (!autoLearn.IsWritable() && m_toldFiles.insert(autoLearnPath).second)
        lost += " and learnt words";
    const pvbase::FileFault fault = programFault != pvbase::FileFault::None ? programFault : libsFault;
    Tell(directory, std::string("Pennivox cannot save in its folder (") + pvbase::FileFaultReason(fault) + "):\r\n" +
                        directory + "\r\nIt works with what is there, but " + lost + " will not be kept.");
}

void CFileProblemTeller::TellAutoLearnProblem(const std::string& directory, CAutoLearnDictionary& autoLearn)
{
    if (autoLearn.IsOpen()) {
        Tell(autoLearn.Path(), "Learnt words cannot be saved to " + autoLearn.Path() + ": " +
                                   pvbase::FileFaultReason(autoLearn.WriteFault()) +
                                   ".\r\nThe words learnt before are still offered.");
        return;
    }
    const std::string path = pvbase::AutoLearnPath(directory);
    Tell(path, "The learnt words could not be loaded from " + path + ": " +
                   pvbase::FileFaultReason(autoLearn.OpenFault()) + ".\r\nNothing is learnt.");
}

void CFileProblemTeller::TellSyncProblem(const std::string& file, const std::string& reason)
{
    Tell(file,
         "Your words in the sync folder: " + file + ": " + reason + ".\r\nWhat this PC holds is kept and offered.");
}
