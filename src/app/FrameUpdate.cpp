#include "app/FrameUpdate.h"

#include "app/AppState.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "app/SceneAssembly.h"
#include "audio/AudioSystem.h"
#include "effects/Campfire.h"
#include "effects/Water.h"
#include "render/Level.h"
#include "render/PassProfile.h"
#include "render/PointLight.h"

void updateFrame(double dt) {
    rtr::PassTimer timer(rtr::Pass::Update);
    inputController->handleKeys();

    if (inputController->resetRequested == 1) {
        cameras->current()->reset();
        inputController->resetRequested = 0;
    }
    for (; inputController->shaderReloadRequested > 0; --inputController->shaderReloadRequested)
        reloadShaders();
    if (inputController->tour == 1)
        cameras->runTour(dt);
    else
        cameras->current()->fly(static_cast<float>(dt), inputController->input());

    if (water != nullptr)
        water->update(dt);

    // Before the shadow matrices: the fire light moves with the flames.
    campfire->update(static_cast<float>(dt));

    if (inputController->shadows == 1)
        for (PointLight* light : level->lights())
            updateFaceMatrices(*light);
    level->update(dt);

    // The listener hears from the selected camera.
    const Camera& camera = *cameras->current();
    audio().placeListener(camera.position, camera.direction, camera.up);
}
