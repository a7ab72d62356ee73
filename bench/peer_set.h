// The other blitters with the workload's pictures loaded, made once each.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "bench/peers.h"
#include "bench/sprite_workload.h"

namespace ruvo::bench {

// "SDL2" or "Allegro4", with the sprite sets loaded in turn: the large set,
// the small one, the dot (FirstOf() gives where each starts). Null
// when the library cannot start.
inline peers::Peer *LoadedPeer(const std::string &name) {
    // Never destroyed: Allegro shuts down in its own exit handler, which runs
    // before a static's destructor, and freeing its bitmaps after that crashed
    // the benchmark at exit.
    static auto &made = *new std::map<std::string, std::unique_ptr<peers::Peer>>;
    auto found = made.find(name);
    if (found != made.end()) return found->second.get();
    std::unique_ptr<peers::Peer> peer = name == "SDL2" ? peers::MakeSdl2() : peers::MakeAllegro4();
    if (peer) {
        std::vector<peers::Picture> pictures;
        for (const auto *sprites : {&Workload().sprites, &Workload().small, &Workload().dots}) {
            for (const WorkloadSprite &s : *sprites) {
                pictures.push_back({s.width, s.height, s.colours.data()});
            }
        }
        peer->Load(pictures);
    }
    return (made[name] = std::move(peer)).get();
}

}  // namespace ruvo::bench
