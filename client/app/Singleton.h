// One process-wide instance of T, created with its defaults on first use.
// Not locked: the instance is first asked for on the UI thread during
// start-up, before any other thread exists.
#pragma once

template <typename T>
class Singleton {
public:
    static T* getInstance()
    {
        if (!s_instance)
            s_instance = new T();
        return s_instance;
    }

    // Deletes the instance at shutdown; the next getInstance makes a new one.
    static void destroyInstance()
    {
        delete s_instance;
        s_instance = nullptr;
    }

protected:
    Singleton() = default;
    ~Singleton() = default;

private:
    static inline T* s_instance = nullptr;
};
