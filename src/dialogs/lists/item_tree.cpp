#include "dialogs/lists/item_tree.h"

#include <algorithm>
#include <new>
#include <vector>

#include "dialogs/lists/columns.h"
#include "frame/gobject_ptr.h"

namespace {

// Where a row of a nested list sits: its parent (-1 at the top level), its
// index among its siblings and its children, which are children[first_child]
// onwards.
struct Place {
    int parent;
    int position;
    int first_child;
    int child_count;
};

struct TreeData {
    ItemColumns columns{};
    ItemArgs items;
    std::vector<bool> on; // each row's state, in a list with states
    ShownRows shown;
    // Empty for a flat list, whose row n is the n-th at the top level.
    std::vector<Place> places;
    std::vector<int> top;
    std::vector<int> children; // nested rows, grouped by parent
    int deepest = 1;           // the level of the deepest row, 1 at the top
};

} // namespace

// GObject allocates the instance and zeroes it; its C++ member is built in
// place by item_tree_init and destroyed by item_tree_finalize.
struct _ItemTree {
    GObject parent_instance;
    int stamp;
    TreeData data;
};

static void item_tree_model_init(GtkTreeModelIface *iface);

G_DEFINE_TYPE_WITH_CODE(ItemTree, item_tree, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, item_tree_model_init))

namespace {

// GTK calls a model's functions with that model only, so they skip the
// checked cast: its type lookup, made several times in every call for
// every row, was some 15 % of the work of filling and expanding a long list.
ItemTree *tree_of(GtkTreeModel *model) {
    return reinterpret_cast<ItemTree *>(model);
}

TreeData &data_of(GtkTreeModel *model) {
    return tree_of(model)->data;
}

// An iterator holds the row's index; 0 in user_data2 keeps it plain data.
bool make_iter(GtkTreeModel *model, GtkTreeIter *iter, int row) {
    iter->stamp = tree_of(model)->stamp;
    iter->user_data = GINT_TO_POINTER(row);
    iter->user_data2 = nullptr;
    iter->user_data3 = nullptr;
    return true;
}

bool invalid_iter(GtkTreeIter *iter) {
    iter->stamp = 0;
    return false;
}

int row_of(const GtkTreeIter *iter) {
    return GPOINTER_TO_INT(iter->user_data);
}

// Whether iter is one of this model's, and names one of its rows. Rows
// never change, so every iterator the model made stays valid and the stamp
// never has to change; it tells apart iterators of another model and those
// left invalid by a move past the end. Warns, as GTK's own models do, about
// any other.
bool iter_is_ours(GtkTreeModel *model, const GtkTreeIter *iter) {
    g_return_val_if_fail(iter != nullptr, false);
    g_return_val_if_fail(iter->stamp == tree_of(model)->stamp, false);
    g_return_val_if_fail(row_of(iter) >= 0 &&
                             static_cast<size_t>(row_of(iter)) < data_of(model).items.size(),
                         false);
    return true;
}

// A parent may be null for the top level.
bool parent_is_ours(GtkTreeModel *model, const GtkTreeIter *parent) {
    return parent == nullptr || iter_is_ours(model, parent);
}

GType column_type(const ItemColumns &columns, int column) {
    if (column == columns.state)
        return G_TYPE_BOOLEAN;
    if (column == columns.depth)
        return G_TYPE_INT;
    return G_TYPE_STRING;
}

bool column_is_ours(GtkTreeModel *model, int column) {
    g_return_val_if_fail(column >= 0 && column < data_of(model).columns.count, false);
    return true;
}

bool nests(const TreeData &data) {
    return !data.places.empty();
}

int parent_of(const TreeData &data, int row) {
    return nests(data) ? data.places[row].parent : -1;
}

int position_of(const TreeData &data, int row) {
    return nests(data) ? data.places[row].position : row;
}

// The children of a row, or of the top level for -1.
int child_count(const TreeData &data, int parent) {
    if (parent < 0)
        return static_cast<int>(nests(data) ? data.top.size() : data.items.size());
    return nests(data) ? data.places[parent].child_count : 0;
}

int nth_child(const TreeData &data, int parent, int n) {
    if (parent < 0)
        return nests(data) ? data.top[n] : n;
    return data.children[data.places[parent].first_child + n];
}

// The row of a parent iterator, -1 for none (the top level).
int parent_row(const GtkTreeIter *parent) {
    return parent == nullptr ? -1 : row_of(parent);
}

GtkTreeModelFlags get_flags(GtkTreeModel *) {
    return GTK_TREE_MODEL_ITERS_PERSIST;
}

int get_n_columns(GtkTreeModel *model) {
    return data_of(model).columns.count;
}

GType get_column_type(GtkTreeModel *model, int column) {
    const ItemColumns &columns = data_of(model).columns;
    if (column < 0 || column >= columns.count)
        return G_TYPE_INVALID;
    return column_type(columns, column);
}

gboolean get_iter(GtkTreeModel *model, GtkTreeIter *iter, GtkTreePath *path) {
    const TreeData &data = data_of(model);
    int depth = 0;
    int *indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    int row = -1;
    for (int i = 0; i < depth; ++i) {
        if (indices[i] < 0 || indices[i] >= child_count(data, row))
            return invalid_iter(iter);
        row = nth_child(data, row, indices[i]);
    }
    if (row < 0)
        return invalid_iter(iter);
    return make_iter(model, iter, row);
}

GtkTreePath *get_path(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return nullptr;
    const TreeData &data = data_of(model);
    GtkTreePath *path = gtk_tree_path_new();
    for (int row = row_of(iter); row >= 0; row = parent_of(data, row))
        gtk_tree_path_prepend_index(path, position_of(data, row));
    return path;
}

// A member's text as the view shows it: the item's own, or the repaired
// copy where the row has one.
const char *view_text(const TreeData &data, size_t row, ItemText member) {
    const std::vector<ShownRow> &rows = data.shown.rows;
    auto shown = std::lower_bound(rows.begin(), rows.end(), row,
                                  [](const ShownRow &r, size_t wanted) { return r.row < wanted; });
    if (shown == rows.end() || shown->row != row)
        return data.items.text(row, member);
    switch (member) {
    case ItemText::prefix:
        return shown->prefix;
    case ItemText::description:
        return shown->description;
    case ItemText::bottom:
        return shown->bottom;
    case ItemText::name: // shown as it is: it is the answer
        break;
    }
    return data.items.text(row, member);
}

// A refused iterator still gets a value of the column's type, its default,
// so that the caller's copy out of it holds no garbage. A text is lent to
// the value: whoever keeps it copies it.
void get_value(GtkTreeModel *model, GtkTreeIter *iter, int column, GValue *value) {
    if (!column_is_ours(model, column))
        return;
    const TreeData &data = data_of(model);
    const ItemColumns &columns = data.columns;
    g_value_init(value, column_type(columns, column));
    if (!iter_is_ours(model, iter))
        return;
    const size_t row = row_of(iter);
    if (column == columns.state)
        g_value_set_boolean(value, data.on[row]);
    else if (column == columns.depth)
        g_value_set_int(value, data.items.depth(row));
    else if (column == columns.prefix)
        g_value_set_static_string(value, view_text(data, row, ItemText::prefix));
    else if (column == columns.name)
        g_value_set_static_string(value, data.items.text(row, ItemText::name));
    else if (column == columns.description)
        g_value_set_static_string(value, view_text(data, row, ItemText::description));
    else
        g_value_set_static_string(value, view_text(data, row, ItemText::bottom));
}

gboolean iter_next(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return invalid_iter(iter);
    const TreeData &data = data_of(model);
    const int row = row_of(iter);
    const int parent = parent_of(data, row);
    const int next = position_of(data, row) + 1;
    if (next >= child_count(data, parent))
        return invalid_iter(iter);
    return make_iter(model, iter, nth_child(data, parent, next));
}

gboolean iter_previous(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return invalid_iter(iter);
    const TreeData &data = data_of(model);
    const int row = row_of(iter);
    const int position = position_of(data, row);
    if (position == 0)
        return invalid_iter(iter);
    return make_iter(model, iter, nth_child(data, parent_of(data, row), position - 1));
}

gboolean iter_nth_child(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *parent, int n) {
    if (!parent_is_ours(model, parent))
        return invalid_iter(iter);
    const TreeData &data = data_of(model);
    const int parent_index = parent_row(parent);
    if (n < 0 || n >= child_count(data, parent_index))
        return invalid_iter(iter);
    return make_iter(model, iter, nth_child(data, parent_index, n));
}

gboolean iter_children(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *parent) {
    return iter_nth_child(model, iter, parent, 0);
}

gboolean iter_has_child(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return FALSE;
    return child_count(data_of(model), row_of(iter)) > 0;
}

int iter_n_children(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!parent_is_ours(model, iter))
        return 0;
    const TreeData &data = data_of(model);
    return child_count(data, parent_row(iter));
}

gboolean iter_parent(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *child) {
    if (!iter_is_ours(model, child))
        return invalid_iter(iter);
    const int parent = parent_of(data_of(model), row_of(child));
    if (parent < 0)
        return invalid_iter(iter);
    return make_iter(model, iter, parent);
}

// Each row's place among its siblings and its children, grouped by parent
// in one array. A parent must come before its children; any other is taken
// for the top level.
void place_rows(TreeData &data, const std::vector<int> &parents) {
    const int n = static_cast<int>(data.items.size());
    data.places.assign(n, Place{-1, 0, 0, 0});
    for (int row = 0; row < n; ++row) {
        const int parent = parents[row];
        if (parent >= 0 && parent < row) {
            data.places[row].parent = parent;
            ++data.places[parent].child_count;
        }
    }
    int next = 0;
    for (Place &place : data.places) {
        place.first_child = next;
        next += place.child_count;
        place.child_count = 0;
    }
    data.children.resize(next);
    std::vector<int> level(n, 1);
    for (int row = 0; row < n; ++row) {
        Place &place = data.places[row];
        if (place.parent < 0) {
            place.position = static_cast<int>(data.top.size());
            data.top.push_back(row);
        } else {
            Place &parent = data.places[place.parent];
            place.position = parent.child_count++;
            data.children[parent.first_child + place.position] = row;
            level[row] = level[place.parent] + 1;
            data.deepest = std::max(data.deepest, level[row]);
        }
    }
}

} // namespace

static void item_tree_model_init(GtkTreeModelIface *iface) {
    iface->get_flags = get_flags;
    iface->get_n_columns = get_n_columns;
    iface->get_column_type = get_column_type;
    iface->get_iter = get_iter;
    iface->get_path = get_path;
    iface->get_value = get_value;
    iface->iter_next = iter_next;
    iface->iter_previous = iter_previous;
    iface->iter_children = iter_children;
    iface->iter_has_child = iter_has_child;
    iface->iter_n_children = iter_n_children;
    iface->iter_nth_child = iter_nth_child;
    iface->iter_parent = iter_parent;
}

static void item_tree_finalize(GObject *object) {
    ITEM_TREE(object)->data.~TreeData();
    G_OBJECT_CLASS(item_tree_parent_class)->finalize(object);
}

static void item_tree_class_init(ItemTreeClass *klass) {
    G_OBJECT_CLASS(klass)->finalize = item_tree_finalize;
}

static void item_tree_init(ItemTree *tree) {
    new (&tree->data) TreeData;
    // Iterators of another model instance are not taken for ours.
    do {
        tree->stamp = g_random_int();
    } while (tree->stamp == 0);
}

ItemTree *item_tree_new(ListKind kind, ItemArgs items, std::vector<int> parents, ShownRows shown) {
    ItemTree *tree = ITEM_TREE(g_object_new(ITEM_TYPE_TREE, nullptr));
    TreeData &data = tree->data;
    data.columns = item_columns(kind);
    data.items = items;
    data.shown = std::move(shown);
    if (data.columns.state >= 0) {
        data.on.resize(items.size());
        for (size_t row = 0; row < items.size(); ++row)
            data.on[row] = items.starts_on(row);
    }
    if (!parents.empty())
        parents.resize(items.size(), -1);
    if (std::any_of(parents.begin(), parents.end(), [](int parent) { return parent >= 0; }))
        place_rows(data, parents);
    return tree;
}

bool item_tree_iter_of(ItemTree *tree, size_t row, GtkTreeIter *iter) {
    if (row >= tree->data.items.size())
        return invalid_iter(iter);
    return make_iter(GTK_TREE_MODEL(tree), iter, static_cast<int>(row));
}

const char *item_tree_item_text(ItemTree *tree, GtkTreeIter *iter, ItemText member) {
    if (!iter_is_ours(GTK_TREE_MODEL(tree), iter))
        return nullptr;
    return tree->data.items.text(row_of(iter), member);
}

void item_tree_set_state(ItemTree *tree, GtkTreeIter *iter, bool on) {
    GtkTreeModel *model = GTK_TREE_MODEL(tree);
    if (!iter_is_ours(model, iter))
        return;
    TreeData &data = tree->data;
    g_return_if_fail(data.columns.state >= 0);
    data.on[row_of(iter)] = on;
    TreePathPtr path(get_path(model, iter));
    gtk_tree_model_row_changed(model, path.get(), iter);
}

bool item_tree_nests(ItemTree *tree) {
    return nests(tree->data);
}

int item_tree_deepest(ItemTree *tree) {
    return tree->data.deepest;
}
