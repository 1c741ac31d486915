#pragma once
// Watches this process's PulseAudio playback streams from outside the program's code: the
// executable defines the client library's stream calls itself, so the calls Qt Multimedia
// makes land here first; each is noted and handed on to the library's own function. Include
// this in exactly one source file of an executable built with ENABLE_EXPORTS (so the
// libraries it loads find these definitions). Linux only.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <dlfcn.h>

extern "C" {
struct pa_stream;
struct pa_buffer_attr
{
    uint32_t maxlength, tlength, prebuf, minreq, fragsize;
};
struct pa_cvolume;
}

namespace pulsetap {

// Told of each call on the thread that made it. Set it before any sound starts.
class Listener
{
  public:
    virtual ~Listener() = default;
    virtual void connected(pa_stream*) {}
    virtual void written(pa_stream*, const void* /*data*/, std::size_t /*bytes*/) {}
    virtual void disconnected(pa_stream*) {}
};
inline std::atomic<Listener*> listener{nullptr};

// Counts over the whole process.
inline std::atomic<int> connects{0};
inline std::atomic<int> disconnects{0};
inline std::atomic<long long> bytesWritten{0};

// The client library's own definition of name, the one after this executable's.
template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(dlvsym(RTLD_NEXT, name, "PULSE_0"));
}

// The buffer the server granted the stream (call it from a Listener).
inline const pa_buffer_attr* bufferAttr(pa_stream* s)
{
    static const auto f = real<const pa_buffer_attr* (*)(pa_stream*)>("pa_stream_get_buffer_attr");
    return f(s);
}

} // namespace pulsetap

extern "C" {

int pa_stream_connect_playback(pa_stream* s, const char* dev, const pa_buffer_attr* attr, int flags,
                               const pa_cvolume* volume, pa_stream* sync)
{
    static const auto f =
        pulsetap::real<int (*)(pa_stream*, const char*, const pa_buffer_attr*, int,
                               const pa_cvolume*, pa_stream*)>("pa_stream_connect_playback");
    const int r = f(s, dev, attr, flags, volume, sync);
    ++pulsetap::connects;
    if (pulsetap::Listener* l = pulsetap::listener)
        l->connected(s);
    return r;
}

int pa_stream_write(pa_stream* s, const void* data, std::size_t bytes, void (*freeCb)(void*),
                    int64_t offset, int seek)
{
    static const auto f = pulsetap::real<int (*)(pa_stream*, const void*, std::size_t,
                                                 void (*)(void*), int64_t, int)>("pa_stream_write");
    // Noted before it is handed on: the library may free data once it has it.
    pulsetap::bytesWritten += (long long)bytes;
    if (pulsetap::Listener* l = pulsetap::listener)
        l->written(s, data, bytes);
    return f(s, data, bytes, freeCb, offset, seek);
}

int pa_stream_disconnect(pa_stream* s)
{
    static const auto f = pulsetap::real<int (*)(pa_stream*)>("pa_stream_disconnect");
    ++pulsetap::disconnects;
    if (pulsetap::Listener* l = pulsetap::listener)
        l->disconnected(s);
    return f(s);
}
}
