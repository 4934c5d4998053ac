#include "dialogs/lists/item_tree.h"

#include <new>
#include <vector>

#include "frame/gobject_ptr.h"

namespace {

struct Row {
    int parent;   // -1 at the top level
    int position; // index among its siblings
    std::vector<int> children;
};

struct TreeData {
    std::vector<GType> types;
    std::vector<Row> rows;
    std::vector<int> top;
    std::vector<GValue> values; // rows.size() x types.size()
    bool nests = false;
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

TreeData &data_of(GtkTreeModel *model) {
    return ITEM_TREE(model)->data;
}

// An iterator holds the row's index; 0 in user_data2 keeps it plain data.
bool make_iter(GtkTreeModel *model, GtkTreeIter *iter, int row) {
    iter->stamp = ITEM_TREE(model)->stamp;
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

// Whether iter is one of this model's, and names one of its rows. Rows are
// only ever added, so every iterator the model made stays valid and the
// stamp never has to change; it tells apart iterators of another model and
// those left invalid by a move past the end. Warns, as GTK's own models do,
// about any other.
bool iter_is_ours(GtkTreeModel *model, const GtkTreeIter *iter) {
    g_return_val_if_fail(iter != nullptr, false);
    g_return_val_if_fail(iter->stamp == ITEM_TREE(model)->stamp, false);
    g_return_val_if_fail(row_of(iter) >= 0 &&
                             static_cast<size_t>(row_of(iter)) < ITEM_TREE(model)->data.rows.size(),
                         false);
    return true;
}

// A parent may be null for the top level.
bool parent_is_ours(GtkTreeModel *model, const GtkTreeIter *parent) {
    return parent == nullptr || iter_is_ours(model, parent);
}

bool column_is_ours(GtkTreeModel *model, int column) {
    g_return_val_if_fail(
        column >= 0 && static_cast<size_t>(column) < ITEM_TREE(model)->data.types.size(), false);
    return true;
}

const std::vector<int> &children_of(const TreeData &data, const GtkTreeIter *parent) {
    return parent == nullptr ? data.top : data.rows[row_of(parent)].children;
}

const std::vector<int> &siblings_of(const TreeData &data, int row) {
    const int parent = data.rows[row].parent;
    return parent < 0 ? data.top : data.rows[parent].children;
}

GtkTreeModelFlags get_flags(GtkTreeModel *) {
    return GTK_TREE_MODEL_ITERS_PERSIST;
}

int get_n_columns(GtkTreeModel *model) {
    return static_cast<int>(data_of(model).types.size());
}

GType get_column_type(GtkTreeModel *model, int column) {
    const TreeData &data = data_of(model);
    if (column < 0 || column >= static_cast<int>(data.types.size()))
        return G_TYPE_INVALID;
    return data.types[column];
}

gboolean get_iter(GtkTreeModel *model, GtkTreeIter *iter, GtkTreePath *path) {
    const TreeData &data = data_of(model);
    int depth = 0;
    int *indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    const std::vector<int> *level = &data.top;
    int row = -1;
    for (int i = 0; i < depth; ++i) {
        if (indices[i] < 0 || indices[i] >= static_cast<int>(level->size()))
            return invalid_iter(iter);
        row = (*level)[indices[i]];
        level = &data.rows[row].children;
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
    for (int row = row_of(iter); row >= 0; row = data.rows[row].parent)
        gtk_tree_path_prepend_index(path, data.rows[row].position);
    return path;
}

// A refused iterator still gets a value of the column's type, its default,
// so that the caller's copy out of it holds no garbage.
void get_value(GtkTreeModel *model, GtkTreeIter *iter, int column, GValue *value) {
    if (!column_is_ours(model, column))
        return;
    const TreeData &data = data_of(model);
    g_value_init(value, data.types[column]);
    if (iter_is_ours(model, iter))
        g_value_copy(&data.values[row_of(iter) * data.types.size() + column], value);
}

gboolean iter_next(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return invalid_iter(iter);
    const TreeData &data = data_of(model);
    const int row = row_of(iter);
    const std::vector<int> &siblings = siblings_of(data, row);
    const size_t next = data.rows[row].position + 1;
    if (next >= siblings.size())
        return invalid_iter(iter);
    return make_iter(model, iter, siblings[next]);
}

gboolean iter_previous(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return invalid_iter(iter);
    const TreeData &data = data_of(model);
    const int row = row_of(iter);
    if (data.rows[row].position == 0)
        return invalid_iter(iter);
    return make_iter(model, iter, siblings_of(data, row)[data.rows[row].position - 1]);
}

gboolean iter_nth_child(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *parent, int n) {
    if (!parent_is_ours(model, parent))
        return invalid_iter(iter);
    const std::vector<int> &children = children_of(data_of(model), parent);
    if (n < 0 || n >= static_cast<int>(children.size()))
        return invalid_iter(iter);
    return make_iter(model, iter, children[n]);
}

gboolean iter_children(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *parent) {
    return iter_nth_child(model, iter, parent, 0);
}

gboolean iter_has_child(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return FALSE;
    return !children_of(data_of(model), iter).empty();
}

int iter_n_children(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!parent_is_ours(model, iter))
        return 0;
    return static_cast<int>(children_of(data_of(model), iter).size());
}

gboolean iter_parent(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *child) {
    if (!iter_is_ours(model, child))
        return invalid_iter(iter);
    const int parent = data_of(model).rows[row_of(child)].parent;
    if (parent < 0)
        return invalid_iter(iter);
    return make_iter(model, iter, parent);
}

// Whether anything listens to the model's signal: a list is filled before
// any view watches its model, and a path and an emission per row for no one
// are a noticeable part of the time that thousands of rows take.
bool heard(GtkTreeModel *model, guint signal) {
    return g_signal_has_handler_pending(model, signal, 0, FALSE);
}

guint row_inserted_signal() {
    static const guint signal = g_signal_lookup("row-inserted", GTK_TYPE_TREE_MODEL);
    return signal;
}

guint row_has_child_toggled_signal() {
    static const guint signal = g_signal_lookup("row-has-child-toggled", GTK_TYPE_TREE_MODEL);
    return signal;
}

void emit_row_inserted(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!heard(model, row_inserted_signal()))
        return;
    TreePathPtr path(get_path(model, iter));
    gtk_tree_model_row_inserted(model, path.get(), iter);
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
    TreeData &data = ITEM_TREE(object)->data;
    for (GValue &value : data.values)
        g_value_unset(&value);
    data.~TreeData();
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

ItemTree *item_tree_new(int n_columns, const GType *types) {
    ItemTree *tree = ITEM_TREE(g_object_new(ITEM_TYPE_TREE, nullptr));
    tree->data.types.assign(types, types + n_columns);
    return tree;
}

void item_tree_reserve(ItemTree *tree, size_t rows) {
    TreeData &data = tree->data;
    data.rows.reserve(rows);
    data.values.reserve(rows * data.types.size());
}

void item_tree_append(ItemTree *tree, GtkTreeIter *parent, const GValue *values, int count,
                      GtkTreeIter *iter) {
    if (!parent_is_ours(GTK_TREE_MODEL(tree), parent)) {
        if (iter != nullptr)
            invalid_iter(iter);
        return;
    }
    TreeData &data = tree->data;
    const int row = static_cast<int>(data.rows.size());
    const int parent_row = parent != nullptr ? row_of(parent) : -1;
    data.rows.push_back(Row{parent_row, 0, {}});
    // Taken after the push_back, which may move every row.
    std::vector<int> &siblings = parent_row < 0 ? data.top : data.rows[parent_row].children;
    data.rows[row].position = static_cast<int>(siblings.size());
    siblings.push_back(row);
    data.nests = data.nests || parent_row >= 0;

    for (size_t column = 0; column < data.types.size(); ++column) {
        GValue value = G_VALUE_INIT;
        g_value_init(&value, data.types[column]);
        if (static_cast<int>(column) < count)
            g_value_copy(&values[column], &value);
        data.values.push_back(value);
    }

    GtkTreeIter new_iter;
    make_iter(GTK_TREE_MODEL(tree), &new_iter, row);
    emit_row_inserted(GTK_TREE_MODEL(tree), &new_iter);
    if (parent_row >= 0 && siblings.size() == 1 &&
        heard(GTK_TREE_MODEL(tree), row_has_child_toggled_signal())) {
        TreePathPtr path(get_path(GTK_TREE_MODEL(tree), parent));
        gtk_tree_model_row_has_child_toggled(GTK_TREE_MODEL(tree), path.get(), parent);
    }
    if (iter != nullptr)
        *iter = new_iter;
}

void item_tree_set_value(ItemTree *tree, GtkTreeIter *iter, int column, const GValue *value) {
    if (!iter_is_ours(GTK_TREE_MODEL(tree), iter) || !column_is_ours(GTK_TREE_MODEL(tree), column))
        return;
    TreeData &data = tree->data;
    g_return_if_fail(G_VALUE_HOLDS(value, data.types[column]));
    g_value_copy(value, &data.values[row_of(iter) * data.types.size() + column]);
    TreePathPtr path(get_path(GTK_TREE_MODEL(tree), iter));
    gtk_tree_model_row_changed(GTK_TREE_MODEL(tree), path.get(), iter);
}

bool item_tree_nests(ItemTree *tree) {
    return tree->data.nests;
}
