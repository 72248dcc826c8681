// libFuzzer target: any file image is either refused or read consistently, and what is read
// survives a rewrite unchanged.
#include "MemoryStrategy.h"
#include "storage/Storage.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<std::string>> Snapshot(const c4_Storage& storage)
{
    std::vector<std::vector<std::string>> all;
    for (int v = 0; v < storage.NumViews(); ++v) {
        c4_View view = storage.View(storage.ViewName(v).c_str());
        std::vector<std::string> cells;
        for (int r = 0; r < view.GetSize(); ++r)
            for (int c = 0; c < view.NumProperties(); ++c)
                cells.push_back(view.PropertyType(c) == 'I' ? std::to_string(view.GetInt(r, c))
                                                            : std::string(view.GetString(r, c)));
        all.push_back(cells);
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStrategy strategy(data, size);
    c4_Storage storage(strategy, false, 0);
    if (!storage.IsValid()) {
        if (storage.StatusText().empty() || storage.NumViews() != 0)
            std::abort();  // a refusal must say why and expose nothing
        return 0;
    }
    std::vector<std::vector<std::string>> before = Snapshot(storage);

    // Search and Find on every view, with a value taken from the data.
    for (int v = 0; v < storage.NumViews(); ++v) {
        c4_View view = storage.View(storage.ViewName(v).c_str());
        if (view.NumProperties() == 0 || view.PropertyType(0) == 'I')
            continue;
        c4_StringProp first(view.PropertyName(0).c_str());
        std::string probe = view.GetSize() ? std::string(view.GetString(view.GetSize() / 2, 0)) : "x";
        int at = view.Search(first[probe]);
        if (at < 0 || at > view.GetSize())
            std::abort();
        int found = view.Find(first[probe]);
        if (found >= view.GetSize())
            std::abort();
    }

    // The image a commit would write reads back to the same content.
    std::vector<uint8_t> image;
    if (!storage.SaveTo(image))
        return 0;  // too large to write: allowed
    MemoryStrategy again(image.data(), image.size());
    c4_Storage reread(again, false, 0);
    if (!reread.IsValid() || Snapshot(reread) != before)
        std::abort();

    // Edits switch a view to its edit form; the result must still write and read back.
    for (int v = 0; v < storage.NumViews(); ++v) {
        c4_View view = storage.View(storage.ViewName(v).c_str());
        if (view.GetSize() == 0)
            continue;
        const int rows = view.GetSize();
        if (!view.RemoveAt(0) || !view.InsertAt(rows - 1, c4_Row()) || view.GetSize() != rows)
            std::abort();
        if (!storage.SaveTo(image))
            return 0;
        MemoryStrategy edited(image.data(), image.size());
        c4_Storage rereadEdited(edited, false, 0);
        if (!rereadEdited.IsValid() || rereadEdited.View(storage.ViewName(v).c_str()).GetSize() != rows)
            std::abort();
        break;
    }
    return 0;
}
