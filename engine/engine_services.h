#pragma once

namespace tavrix {

// What the engines of a process share: the first engine constructed brings it
// up, the last one destroyed takes it down. Today that is the SDL audio
// subsystem, kept loaded while any engine lives so that reopening the sound
// device (every SetMode) does not reload the audio driver. The frame clock
// needs no start: it reads the monotonic millisecond count directly.
class EngineServices {
 public:
  EngineServices();
  ~EngineServices();
  EngineServices(const EngineServices&) = delete;
  EngineServices& operator=(const EngineServices&) = delete;

  static int LivingEngines();
  // How often the services were brought up in this process.
  static int Starts();
  // The audio subsystem is held by the engines (false when it failed to start).
  static bool AudioSubsystemHeld();
};

}  // namespace tavrix
