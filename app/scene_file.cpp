#include "app/scene_file.h"

#include <toml++/toml.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace {

// No number in a scene is sensibly larger; bigger ones would only overflow the geometry.
constexpr double kMaxMagnitude = 1e6;
// Half sizes: smaller shapes defeat the collision walk's tolerances, larger ones the room's.
constexpr double kMinHalfSize = 0.001;
constexpr double kMaxHalfSize = 1000.0;
constexpr char kMeshSuffix[] = ".poly";

const char* Kind_Of(toml::node_type type) {
    switch (type) {
        case toml::node_type::string:
            return "a string";
        case toml::node_type::integer:
            return "an integer";
        case toml::node_type::floating_point:
            return "a number";
        case toml::node_type::boolean:
            return "a boolean";
        case toml::node_type::date:
        case toml::node_type::time:
        case toml::node_type::date_time:
            return "a date or time";
        case toml::node_type::array:
            return "an array";
        case toml::node_type::table:
            return "a table";
        case toml::node_type::none:
            break;
    }
    return "nothing";
}

std::string Number_Text(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// Reads the values of one file, failing with the file's name and the line of the node at fault.
class Reader {
public:
    explicit Reader(const std::string& path) : path_(path) {}

    [[noreturn]] void Fail(const toml::node& where, const std::string& what) const {
        Fail(where.source(), what);
    }
    [[noreturn]] void Fail(const toml::source_region& where, const std::string& what) const {
        Fail_At(where.begin.line, what);
    }
    [[noreturn]] void Fail_At(toml::source_index line, const std::string& what) const {
        throw SceneFileError(path_ + ":" + std::to_string(line) + ": " + what);
    }

    // Every key of `table` must be one of `known`.
    void Check_Keys(const toml::table& table, const std::string& owner,
                    std::initializer_list<const char*> known) const {
        for (const auto& [key, value] : table) {
            bool found = false;
            for (const char* name : known) {
                found = found || key.str() == name;
            }
            if (!found) {
                std::string list;
                for (const char* name : known) {
                    list += (list.empty() ? "" : ", ") + std::string(name);
                }
                Fail(value, owner + ": unknown key \"" + std::string(key.str()) +
                                "\" (known: " + list + ")");
            }
        }
    }

    std::string String(const toml::node& node, const std::string& what) const {
        const auto* text = node.as_string();
        if (text == nullptr) {
            Fail(node, what + " must be a string, not " + Kind_Of(node.type()));
        }
        return text->get();
    }

    double Number(const toml::node& node, const std::string& what) const {
        const std::optional<double> value = node.is_number() ? node.value<double>() : std::nullopt;
        if (!value) {
            Fail(node, what + " must be a number, not " + Kind_Of(node.type()));
        }
        if (!std::isfinite(*value) || std::fabs(*value) > kMaxMagnitude) {
            Fail(node, what + " must be a finite number of at most 1e6 in size");
        }
        return *value;
    }

    double Number_In(const toml::node& node, const std::string& what, double low, double high,
                     bool low_included = true) const {
        const double value = Number(node, what);
        if (value > high || value < low || (!low_included && value == low)) {
            Fail(node, what + " is " + Number_Text(value) + ", but it must be " +
                           (low_included ? "from " + Number_Text(low) + " to "
                                         : "more than " + Number_Text(low) + " and at most ") +
                           Number_Text(high));
        }
        return value;
    }

    std::vector<double> Numbers(const toml::node& node, const std::string& what,
                                size_t count) const {
        const auto* array = node.as_array();
        const std::string wanted =
            what + " must be an array of " + std::to_string(count) + " numbers";
        if (array == nullptr) {
            Fail(node, wanted + ", not " + Kind_Of(node.type()));
        }
        if (array->size() != count) {
            Fail(node, wanted + ", not of " + std::to_string(array->size()));
        }
        std::vector<double> values;
        for (size_t i = 0; i < count; ++i) {
            values.push_back(Number((*array)[i], what + "[" + std::to_string(i) + "]"));
        }
        return values;
    }

    Vector3d Vector(const toml::node& node, const std::string& what) const {
        const std::vector<double> v = Numbers(node, what, 3);
        return {v[0], v[1], v[2]};
    }

    // Three numbers each in (0, high]: sizes of a shape or a room.
    Vector3d Extent(const toml::node& node, const std::string& what, double low,
                    double high) const {
        const Vector3d v = Vector(node, what);
        for (double value : {v.x, v.y, v.z}) {
            if (value <= 0.0) {
                Fail(node, what + ": each must be more than 0, but one is " + Number_Text(value));
            }
            if (value < low || value > high) {
                Fail(node, what + ": each must be from " + Number_Text(low) + " to " +
                               Number_Text(high) + ", but one is " + Number_Text(value));
            }
        }
        return v;
    }

private:
    const std::string& path_;
};

void Read_Scene_Table(const Reader& reader, const toml::table& table, SceneDescription& scene) {
    reader.Check_Keys(table, "[scene]", {"name", "gravity", "room"});
    if (const toml::node* name = table.get("name")) {
        scene.name = reader.String(*name, "[scene] name");
    }
    if (const toml::node* gravity = table.get("gravity")) {
        scene.gravity = reader.Vector(*gravity, "[scene] gravity");
    }
    if (const toml::node* room = table.get("room")) {
        const Vector3d extent = reader.Extent(
            *room, "[scene] room: half width, half depth and height", kMinHalfSize, kMaxMagnitude);
        scene.room = RoomDescription{extent.x, extent.y, extent.z};
    }
}

// The mesh a shape names, or empty for a box.
std::string Mesh_Of(const Reader& reader, const toml::node& node, const std::string& owner,
                    const std::string& scene_path) {
    const std::string shape = reader.String(node, owner + ": shape");
    if (shape == "box") {
        return {};
    }
    if (shape == "ball") {
        return kBallMeshPath;
    }
    const size_t suffix = sizeof kMeshSuffix - 1;
    if (shape.size() <= suffix || shape.compare(shape.size() - suffix, suffix, kMeshSuffix) != 0) {
        reader.Fail(node, owner + ": unknown shape \"" + shape +
                              "\" (\"ball\", \"box\" or a mesh file ending in .poly)");
    }
    const std::filesystem::path mesh(shape);
    if (mesh.is_absolute()) {
        return shape;
    }
    // Absolute, so that the path still holds when the program moves to its data folder.
    return (std::filesystem::absolute(scene_path).parent_path() / mesh).lexically_normal().string();
}

SimMode Mode_Of(const Reader& reader, const toml::node& node, const std::string& owner) {
    const std::string mode = reader.String(node, owner + ": mode");
    if (mode == "free") {
        return SimMode::Free;
    }
    if (mode == "resting") {
        return SimMode::Resting;
    }
    if (mode != "fixed") {
        reader.Fail(node, owner + ": unknown mode \"" + mode + "\" (free, resting or fixed)");
    }
    return SimMode::Fixed;
}

// Reads the key `key` of `table` with `read` if it is there.
template <typename Read>
void Optional(const toml::table& table, const char* key, Read read) {
    if (const toml::node* node = table.get(key)) {
        read(*node);
    }
}

BodyDescription Read_Body(const Reader& reader, const toml::node& node, size_t index,
                          const std::string& scene_path) {
    const auto* table = node.as_table();
    BodyDescription body;
    body.name = "Body " + std::to_string(index + 1);
    if (table == nullptr) {
        reader.Fail(node, body.name + " must be a table, not " + Kind_Of(node.type()));
    }
    body.line = static_cast<int>(node.source().begin.line);
    Optional(*table, "name", [&](const toml::node& n) {
        body.name = reader.String(n, "body " + std::to_string(index + 1) + ": name");
    });
    const std::string owner = "body \"" + body.name + "\"";
    reader.Check_Keys(
        *table, owner,
        {"name", "shape", "size", "position", "velocity", "orientation", "mode", "color",
         "max_stretch", "stretch_rate", "max_squash", "squash_rate", "restitution"});
    for (const char* required : {"shape", "size", "position"}) {
        if (!table->contains(required)) {
            reader.Fail(node, owner + ": no " + required + " given");
        }
    }
    body.mesh_path = Mesh_Of(reader, *table->get("shape"), owner, scene_path);
    body.size = reader.Extent(*table->get("size"), owner + ": size: half sizes", kMinHalfSize,
                              kMaxHalfSize);
    body.position = reader.Vector(*table->get("position"), owner + ": position");
    Optional(*table, "velocity",
             [&](const toml::node& n) { body.velocity = reader.Vector(n, owner + ": velocity"); });
    Optional(*table, "orientation", [&](const toml::node& n) {
        const std::vector<double> v = reader.Numbers(n, owner + ": orientation", 4);
        body.axis = Vector3d(v[0], v[1], v[2]);
        body.degrees = v[3];
        if (body.axis.Vanishes()) {
            reader.Fail(n, owner + ": orientation: its axis (the first three numbers) is zero");
        }
    });
    Optional(*table, "mode", [&](const toml::node& n) { body.mode = Mode_Of(reader, n, owner); });
    Optional(*table, "color", [&](const toml::node& n) {
        const Vector3d c = reader.Vector(n, owner + ": color");
        for (double component : {c.x, c.y, c.z}) {
            if (component < 0.0 || component > 1.0) {
                reader.Fail(n, owner + ": color: every component must be from 0 to 1");
            }
        }
        body.color = c;
    });
    CartoonParameters& p = body.parameters;
    // The parameter window's ranges, so that a scene's body can be edited there as it starts.
    Optional(*table, "max_stretch", [&](const toml::node& n) {
        p.max_stretch = reader.Number_In(n, owner + ": max_stretch", 1.0, 3.0);
    });
    Optional(*table, "stretch_rate", [&](const toml::node& n) {
        p.stretch_rate = reader.Number_In(n, owner + ": stretch_rate", 0.0, 2.0);
    });
    Optional(*table, "max_squash", [&](const toml::node& n) {
        p.max_squash = reader.Number_In(n, owner + ": max_squash", 0.1, 1.0);
    });
    Optional(*table, "squash_rate", [&](const toml::node& n) {
        p.squash_rate = reader.Number_In(n, owner + ": squash_rate", 0.0, 10.0, false);
    });
    Optional(*table, "restitution", [&](const toml::node& n) {
        p.restitution = reader.Number_In(n, owner + ": restitution", 0.0, 1.0);
    });
    return body;
}

}  // namespace

SceneDescription Parse_Scene(const std::string& text, const std::string& path) {
    const Reader reader(path);
    toml::table document;
    try {
        document = toml::parse(text, path);
    } catch (const toml::parse_error& fault) {
        reader.Fail(fault.source(), "not valid TOML: " + std::string(fault.description()));
    }
    reader.Check_Keys(document, "the file", {"scene", "body"});

    SceneDescription scene;
    scene.path = path;
    scene.name = std::filesystem::path(path).stem().string();
    scene.gravity = Vector3d(0.0, 0.0, -kGravity);
    if (const toml::node* table = document.get("scene")) {
        if (!table->is_table()) {
            reader.Fail(*table, "scene must be a [scene] table, not " +
                                    std::string(Kind_Of(table->type())));
        }
        Read_Scene_Table(reader, *table->as_table(), scene);
    }
    const toml::node* bodies = document.get("body");
    if (bodies == nullptr) {
        reader.Fail_At(1, "no [[body]]: a scene needs at least one body");
    }
    const auto* list = bodies->as_array();
    if (list == nullptr) {
        reader.Fail(*bodies,
                    "body must be [[body]] tables, not " + std::string(Kind_Of(bodies->type())));
    }
    if (list->size() > kMaxSceneBodies) {
        reader.Fail(*bodies, "more than " + std::to_string(kMaxSceneBodies) + " bodies");
    }
    for (size_t i = 0; i < list->size(); ++i) {
        scene.bodies.push_back(Read_Body(reader, (*list)[i], i, path));
    }
    if (scene.bodies.empty()) {
        reader.Fail(*bodies, "no [[body]]: a scene needs at least one body");
    }
    return scene;
}

SceneDescription Read_Scene_File(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        throw SceneFileError(
            path + ": cannot read the scene: " +
            (std::filesystem::exists(path, error) ? "not a regular file" : "no such file"));
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        throw SceneFileError(path + ": cannot read the scene");
    }
    return Parse_Scene(text.str(), path);
}
