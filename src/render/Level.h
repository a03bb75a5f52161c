#pragma once
// The whole scene as the frame draws it: the imported objects sorted into
// opaque, fire (secondary), transparent and water lists, the point lights and
// their "Lights" block, and the night sky. Each frame it is updated (object
// updates and the light upload) and drawn: opaque objects, fire objects, the
// sky, then the transparent objects blended without depth writes.

#include "effects/Skybox.h"
#include "render/Buffer.h"
#include "render/GLObjects.h"
#include "render/LitVariant.h"
#include "scene/SceneObject.h"

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

class Camera;
class ImportObject;
class Material;
class PointLight;
class ShaderProgram;

class Level : public rtr::scene::SceneObject {
public:
    using ObjectList = std::vector<ImportObject*>;

    // Takes over the objects of all four lists, the materials and the
    // textures their meshes name; the lights and the lit program are
    // shared. The camera is the one active at creation, kept for reference.
    Level(const glm::mat4& modelMatrix, ShaderProgram* litProgram, ObjectList opaqueObjects,
          ObjectList transparentObjects, ObjectList waterObjects, ObjectList secondaryObjects,
          std::vector<PointLight*> lights, std::vector<Material*> materials, Camera* activeCamera,
          std::vector<rtr::gl::TextureName> textures = {});
    // Releases the lights buffer and the staging bytes, deletes the water,
    // transparent and opaque objects in that order, then the fire objects and
    // the materials they drew with, the textures the meshes named, the shadow
    // sampler, and finally the sky.
    ~Level() override;

    void update(double elapsed) override;
    // The camera's view, with the lit program.
    void draw(const Frustum& frustum) override;
    // The water's mirrored view, with the lit program's mirrored-view
    // variant (setMirroredProgram): no shadow map is bound.
    void drawMirrored(const Frustum& frustum);

    // Appends the light with key lightIndex = its list position + 2.
    virtual void addLight(PointLight* light);
    // The shadow cube map of the first light with this key, or -1.
    virtual int shadowMapOfLight(int key) const;
    virtual std::vector<PointLight*> lights() const { return lightList; }
    virtual int lightCount() const { return static_cast<int>(lightList.size()); }
    // Looks up the five shadow samplers "depth_map" to "depth_map5" and
    // "shadowMapBound" in the lit program.
    virtual void initShadowSamplers();
    // After each link of the lit programs: their "Lights" blocks and the
    // shadow samplers, then what every object and material reads of them.
    void setUpPrograms();
    // The lit program's variant for the mirrored view, shared, not owned;
    // the Level, its objects and its materials set it up.
    void setMirroredProgram(ShaderProgram* program);

    ObjectList getOpaqueObjects() const { return raw(opaqueObjects); }
    ObjectList getTransparentObjects() const { return raw(transparentObjects); }
    ObjectList getWaterObjects() const { return raw(waterObjects); }
    ObjectList getSecondaryObjects() const { return raw(secondaryObjects); }
    std::vector<Material*> getMaterials() const;

    // Where the pass about to draw looks from. Transparent objects blend
    // without writing depth, so they are drawn back to front from here: a
    // far spruce crown drawn after a near one would show in front of it.
    void setEyePosition(const glm::vec3& eye) { eyePosition = eye; }

    Skybox& getSky() { return sky; }
    // How many bytes the last update uploaded.
    std::size_t lastLightsUploadSize() const { return lastUploadSize; }

    int shadowsEnabled = 0;

private:
    using OwnedList = std::vector<std::unique_ptr<ImportObject>>;
    static ObjectList raw(const OwnedList& list);
    static OwnedList own(ObjectList list);
    void sortTransparentObjects();
    void drawScene(const Frustum& frustum, LitVariant variant);
    // Binds the lit programs' "Lights" blocks and sizes the buffer and the
    // staging bytes to the lit program's. A block declared with room for more lights gets
    // a bigger buffer: one smaller than the block would leave the program
    // reading past its end.
    void setUpLightsBlock();

    OwnedList opaqueObjects;
    OwnedList transparentObjects;
    OwnedList waterObjects;
    OwnedList secondaryObjects;
    std::vector<PointLight*> lightList;
    std::vector<std::unique_ptr<Material>> materials;
    std::vector<rtr::gl::TextureName> textures;
    ShaderProgram* litProgram;
    ShaderProgram* mirroredProgram = nullptr;
    Camera* activeCamera;
    Skybox sky;
    bool initialised = false;
    GLint shadowSamplerLocations[5] = {-1, -1, -1, -1, -1};
    GLint shadowMapBoundLocation = -1; // "shadowMapBound": 1 while the map is on unit 2
    // How the lit program reads the shadow cube map on unit 2: comparing
    // with the reference depth of each lookup, bilinearly filtered, so one
    // lookup gives a 2 x 2 filtered comparison. The map's own parameters
    // stay plain (no comparison), for the debug view.
    rtr::gl::SamplerName shadowSampler;
    std::unique_ptr<rtr::UniformBuffer> lightsBuffer;
    std::vector<std::byte> staging;
    std::size_t lastUploadSize = 0;
    glm::vec3 eyePosition{0.0f};
    // The middle of each transparent object's mesh, in list order, and the
    // objects with their squared distance from the eye, sorted every draw
    // (kept to avoid an allocation per frame).
    std::vector<glm::vec3> transparentCentres;
    std::vector<std::pair<float, ImportObject*>> transparentOrder;
};
