// Files in memory for the player's rules: a name maps to its bytes, opening
// a name that is not there fails, and writes land in the map (a name under
// "/no such folder/" cannot be created). The rules then run without the disk.
#ifndef VORLEX_MEMORY_FILES_H
#define VORLEX_MEMORY_FILES_H

#include <stdint.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "player_state.h"

class MemoryFiles {
public:
    // The file `name` holds `bytes` from now on.
    void Put(const std::string& name, std::vector<uint8_t> bytes) {
        files_[name] = std::make_shared<Entry>();
        files_[name]->bytes = std::move(bytes);
        files_[name]->view = {files_[name]->bytes.data(), files_[name]->bytes.size()};
    }
    bool Has(const std::string& name) const { return files_.count(name) != 0; }
    const std::vector<uint8_t>& Get(const std::string& name) { return files_.at(name)->bytes; }

    // The player's file access into this map.
    PlayerFiles Access() {
        PlayerFiles files = {this, Open, Write};
        return files;
    }

private:
    struct Entry {
        std::vector<uint8_t> bytes;
        MemoryBytes view;
    };
    static FrameSource Open(void* context, const char* path) {
        MemoryFiles* self = static_cast<MemoryFiles*>(context);
        auto found = path ? self->files_.find(path) : self->files_.end();
        if (found == self->files_.end()) {
            return FrameSource{};
        }
        // The entry stays alive while open, even when the name is written again.
        self->open_.push_back(found->second);
        return MemorySource(&found->second->view);
    }
    static int Write(void* context, const char* path, const uint8_t* data, size_t n) {
        if (std::string(path).rfind("/no such folder/", 0) == 0) {
            return WRITE_CANNOT_CREATE;
        }
        static_cast<MemoryFiles*>(context)->Put(path, std::vector<uint8_t>(data, data + n));
        return WRITE_DONE;
    }
    std::map<std::string, std::shared_ptr<Entry>> files_;
    std::vector<std::shared_ptr<Entry>> open_;
};

#endif
